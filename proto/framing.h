// Content-Length framing of the messages of both protocol servers over a byte stream: the
// language server's and the debug adapter's headers are the same.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Bodies larger than this are skipped unread: no script needs them, and buffering one would
// let a single header claim all the memory.
inline constexpr size_t MAX_BODY = 64u << 20;
// A header block longer than this has lost its blank line.
inline constexpr size_t MAX_HEADER = 8192;

enum class ReadStatus {
    need_more,  // nothing complete yet: feed more bytes
    message,    // `body` holds one complete message
    error,      // `error` says what was wrong; the bad part is dropped and reading goes on
};

struct ReadResult {
    ReadStatus status;
    std::string body;
    std::string error;
};

// Collects bytes as they arrive and cuts them into message bodies. Never blocks: it only
// looks at what was fed.
struct MessageReader {
    std::string buffer;
    size_t skip = 0;  // body bytes of an oversized message still to be dropped
};

// Adds bytes as they arrive, less those of an oversized body still being skipped.
void feed(MessageReader& reader, std::string_view bytes);

// The next complete message or protocol error, or need_more.
ReadResult next_message(MessageReader& reader);

// One message body with its header, ready to write.
std::string frame_message(std::string_view body);
