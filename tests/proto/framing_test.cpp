// The message reader fed in pieces: each case is the reads as they arrive and what the reader
// cuts from them, in order. The cases the language server's protocol test already drives
// through azuvel-lsp (a header one byte at a time, no length, a bad length, a length too small)
// are not repeated here.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framing.h"

namespace {

// One read: its bytes, then that many dots, fed a mebibyte at a time.
struct Read {
    Read(const char* text) : bytes(text) {}
    Read(std::string text, size_t dot_count = 0) : bytes(std::move(text)), dots(dot_count) {}
    std::string bytes;
    size_t dots = 0;
};

struct FramingCase {
    const char* name;
    std::vector<Read> reads;
    std::vector<std::string> results;  // "message: BODY", "message: N dots" or "error: WHAT"
};

// A header block of exactly `size` bytes before its blank line, with padding in a header of
// its own ahead of the length.
std::string header_of_size(size_t size, size_t length) {
    std::string field = "Content-Length: " + std::to_string(length);
    std::string padding = "X: ";
    padding.append(size - field.size() - padding.size() - 2, 'x');
    return padding + "\r\n" + field + "\r\n\r\n";
}

// The header of a body of `length` bytes.
std::string header_for(size_t length) {
    return "Content-Length: " + std::to_string(length) + "\r\n\r\n";
}

// A result as the table writes it.
std::string describe(const ReadResult& result) {
    if (result.status == ReadStatus::error) return "error: " + result.error;
    if (result.body.size() > 64 && result.body.find_first_not_of('.') == std::string::npos)
        return "message: " + std::to_string(result.body.size()) + " dots";
    return "message: " + result.body;
}

// Everything the reader cuts after each read.
std::vector<std::string> read_all(const std::vector<Read>& reads) {
    static const std::string dots(1 << 20, '.');
    MessageReader reader;
    std::vector<std::string> results;
    for (const Read& read : reads) {
        feed(reader, read.bytes);
        for (size_t left = read.dots; left > 0; left -= std::min(left, dots.size()))
            feed(reader, std::string_view(dots).substr(0, left));
        for (;;) {
            ReadResult result = next_message(reader);
            if (result.status == ReadStatus::need_more) break;
            results.push_back(describe(result));
        }
    }
    return results;
}

const FramingCase cases[] = {
    {"two messages in one read",
     {"Content-Length: 2\r\n\r\n{}Content-Length: 4\r\n\r\nnull"},
     {"message: {}", "message: null"}},
    {"a message and the start of the next",
     {"Content-Length: 2\r\n\r\n{}Content-Le", "ngth: 1\r\n\r", "\n7"},
     {"message: {}", "message: 7"}},
    {"a body split across three reads",
     {"Content-Length: 7\r\n\r\n[1", ",2", ",3]"},
     {"message: [1,2,3]"}},
    {"an empty body",
     {"Content-Length: 0\r\n\r\nContent-Length: 1\r\n\r\n1"},
     {"message: ", "message: 1"}},
    {"other headers around the length, names in any case",
     {"Content-Type: application/vscode-jsonrpc; charset=utf-8\r\nCONTENT-LENGTH:\t3 \r\n"
      "X-Other: y\r\n\r\nabc"},
     {"message: abc"}},
    {"a length with more after the digits",
     {"Content-Length: 2x\r\n\r\nContent-Length: 2\r\n\r\nok"},
     {"error: bad Content-Length value", "message: ok"}},
    {"a negative length", {"Content-Length: -1\r\n\r\n"}, {"error: bad Content-Length value"}},
    {"the longest header block that is read",
     {header_of_size(MAX_HEADER, 2) + "ok"},
     {"message: ok"}},
    {"a header block one byte too long",
     {header_of_size(MAX_HEADER + 1, 2) + "ok", "Content-Length: 1\r\n\r\n1"},
     // Its last three bytes are kept, in case they begin a blank line; they come before the
     // next header, and are dropped with a word of their own.
     {"error: header too long", "error: bytes before a header dropped", "message: 1"}},
    {"no blank line: the header is given up once it is too long",
     {std::string(MAX_HEADER + 1, 'h'), "\r\n\r\nContent-Length: 1\r\n\r\n1"},
     {"error: header too long", "error: header line without ':'", "message: 1"}},
    {"the largest body that is read",
     {Read(header_for(MAX_BODY), MAX_BODY - 1), Read(".Content-Length: 1\r\n\r\n1")},
     {"message: " + std::to_string(MAX_BODY) + " dots", "message: 1"}},
    {"a body too large is dropped as it arrives, and the next message read",
     {Read(header_for(MAX_BODY + 1) + ".."), Read("", MAX_BODY - 2),
      Read(".Content-Length: 2\r\n\r\n{}")},
     {"error: message too large, skipped", "message: {}"}},
    {"a body too large that arrives in the read of its header",
     {Read(header_for(MAX_BODY + 1), MAX_BODY + 1), Read("Content-Length: 1\r\n\r\n1")},
     {"error: message too large, skipped", "message: 1"}},
};

TEST(Framing, ReadsInPieces) {
    for (const FramingCase& test : cases) {
        EXPECT_EQ(read_all(test.reads), test.results) << test.name;
    }
}

TEST(Framing, FrameMessage) {
    EXPECT_EQ(frame_message("{}"), "Content-Length: 2\r\n\r\n{}");
    EXPECT_EQ(frame_message(""), "Content-Length: 0\r\n\r\n");
    // The length counts bytes, not characters.
    EXPECT_EQ(frame_message("\"\xc3\xa9\""), "Content-Length: 4\r\n\r\n\"\xc3\xa9\"");
}

}  // namespace
