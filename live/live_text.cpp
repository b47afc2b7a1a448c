// The words of live notes; see live_text.h.
#include "live_text.h"

#include "lines.h"
#include "output.h"

std::string exact_number(double value) {
    char text[32];
    return std::string(text, format_exact(value, text));
}

std::string quoted(std::string_view bytes) {
    std::string out = "\"";
    size_t characters = 0;
    for (size_t at = 0; at < bytes.size();) {
        if (characters == LIVE_TEXT_CHARACTERS) {
            out += "…";
            break;
        }
        size_t length = utf8_length(bytes, at);
        auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\xEF\xBF\xBD";  // a control character has no glyph
        } else if (length == 1 && byte >= 0x80) {
            out += "\xEF\xBF\xBD";
        } else {
            out.append(bytes.substr(at, length));
        }
        at += length;
        characters++;
    }
    return out + "\"";
}

std::string grouped(int64_t count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    std::string out;
    for (size_t i = 0; i < digits.size(); i++) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return count < 0 ? "-" + out : out;
}

std::string store_text(const std::string& name, const std::string& last, const std::string* first,
                       size_t first_count, int64_t runs) {
    std::string out = name + " = " + last;
    if (runs <= 1) return out;
    out += " (× " + grouped(runs) + ":";
    for (size_t i = 0; i < first_count; i++) out += (i == 0 ? " " : ", ") + first[i];
    if (runs > static_cast<int64_t>(first_count)) out += ", …";
    return out + ")";
}

std::string print_text(const std::string& printed, int64_t runs) {
    std::string_view shown = printed;
    if (!shown.empty() && shown.back() == '\n') shown.remove_suffix(1);
    std::string out = quoted(shown);
    if (runs > 1) out += " (× " + grouped(runs) + ")";
    return out;
}

std::string if_text(int64_t taken, int64_t runs) {
    if (runs == 1) return taken == 1 ? "taken" : "not taken";
    return "taken " + grouped(taken) + " of " + grouped(runs);
}

std::string while_text(int64_t passes, int64_t runs) {
    std::string out = grouped(passes) + (passes == 1 ? " pass" : " passes");
    if (runs > 1) out += " in " + grouped(runs) + " runs";
    return out;
}
