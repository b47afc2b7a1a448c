// Reads "Content-Length: N\r\n...\r\n\r\n" headers and cuts out N-byte bodies.
#include "framing.h"

#include <algorithm>
#include <charconv>

namespace {

// Header names are case-insensitive.
bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

// Without the spaces and tabs around a header name or value.
std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Where "Content-Length" first starts in `text`, in any case.
size_t find_length_field(std::string_view text) {
    std::string_view field = "content-length";
    for (size_t at = 0; at + field.size() <= text.size(); at++) {
        if (equals_ignoring_case(text.substr(at, field.size()), field)) return at;
    }
    return std::string_view::npos;
}

// The body length a header block gives, or an error text.
bool parse_header(std::string_view header, size_t& length, std::string& error) {
    bool found = false;
    while (!header.empty()) {
        size_t eol = header.find("\r\n");
        std::string_view line = header.substr(0, eol);
        header = eol == std::string_view::npos ? std::string_view() : header.substr(eol + 2);
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            error = "header line without ':'";
            return false;
        }
        if (!equals_ignoring_case(trim(line.substr(0, colon)), "content-length")) continue;
        std::string_view value = trim(line.substr(colon + 1));
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
            error = "bad Content-Length value";
            return false;
        }
        found = true;
    }
    if (!found) error = "no Content-Length header";
    return found;
}

}  // namespace

void feed(MessageReader& reader, std::string_view bytes) {
    if (reader.skip > 0) {
        size_t dropped = std::min(reader.skip, bytes.size());
        reader.skip -= dropped;
        bytes.remove_prefix(dropped);
    }
    reader.buffer.append(bytes);
}

ReadResult next_message(MessageReader& reader) {
    std::string& buffer = reader.buffer;
    if (reader.skip > 0) return {ReadStatus::need_more, {}, {}};
    size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos || end > MAX_HEADER) {
        if (buffer.size() <= MAX_HEADER) return {ReadStatus::need_more, {}, {}};
        // Keep the last bytes: they may begin a blank line that arrives later.
        buffer.erase(0, buffer.size() - 3);
        return {ReadStatus::error, {}, "header too long"};
    }
    // Bytes before a header, such as the rest of a body whose length was too small, are dropped
    // up to the field that follows them: one wrong length costs one message, not all after it.
    size_t field = find_length_field(std::string_view(buffer).substr(0, end));
    if (field != std::string::npos && field > 0 &&
        (field < 2 || buffer.compare(field - 2, 2, "\r\n") != 0)) {
        buffer.erase(0, field);
        return {ReadStatus::error, {}, "bytes before a header dropped"};
    }
    size_t length = 0;
    std::string error;
    if (!parse_header(std::string_view(buffer).substr(0, end), length, error)) {
        buffer.erase(0, end + 4);
        return {ReadStatus::error, {}, error};
    }
    size_t body_start = end + 4;
    if (length > MAX_BODY) {
        size_t available = buffer.size() - body_start;
        size_t dropped = std::min(available, length);
        reader.skip = length - dropped;
        buffer.erase(0, body_start + dropped);
        return {ReadStatus::error, {}, "message too large, skipped"};
    }
    if (buffer.size() - body_start < length) return {ReadStatus::need_more, {}, {}};
    ReadResult result{ReadStatus::message, buffer.substr(body_start, length), {}};
    buffer.erase(0, body_start + length);
    return result;
}

std::string frame_message(std::string_view body) {
    std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out.append(body);
    return out;
}
