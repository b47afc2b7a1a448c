// The one reader of script files; see script_file.h. Plain read(2) rather than a stdio stream,
// whose buffer and set-up a single read of known size does not need.
#include "script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

static ScriptText failure(ScriptProblem problem, int error_number) {
    return ScriptText{nullptr, 0, problem, error_number};
}

// A regular file, or a character device that seeks and reads as size 0 (/dev/null): only their
// size is trusted. Pipes, sockets and terminals could block or never end.
static bool has_known_size(int descriptor, const struct stat& info) {
    if (S_ISREG(info.st_mode)) return info.st_size >= 0;
    return S_ISCHR(info.st_mode) && info.st_size == 0 && lseek(descriptor, 0, SEEK_CUR) >= 0;
}

// Reads up to `size` bytes, fewer only at the end of the file; false on a read error.
static bool read_all(int descriptor, char* text, size_t size, size_t* length) {
    size_t done = 0;
    while (done < size) {
        ssize_t got = read(descriptor, text + done, size - done);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(got);
    }
    *length = done;
    return true;
}

// Reads as many bytes as the size says, never to the end: /dev/zero has size 0 and no end.
static ScriptText read_sized(int descriptor, size_t size) {
    char* text = size < SIZE_MAX ? static_cast<char*>(std::malloc(size + 1)) : nullptr;
    if (text == nullptr) return failure(SCRIPT_TOO_LARGE, 0);
    size_t length = 0;
    if (!read_all(descriptor, text, size, &length)) {
        int number = errno;
        std::free(text);
        return failure(SCRIPT_CANNOT_OPEN, number);
    }
    text[length] = '\0';
    return ScriptText{text, length, SCRIPT_READ, 0};
}

// Reads a stream to its end, up to MAX_STREAMED_SCRIPT bytes.
static ScriptText read_stream(int descriptor) {
    size_t capacity = 1 << 16, length = 0;
    char* text = static_cast<char*>(std::malloc(capacity + 1));
    for (;;) {
        if (text == nullptr) return failure(SCRIPT_TOO_LARGE, 0);
        ssize_t got = read(descriptor, text + length, capacity - length);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            int number = errno;
            std::free(text);
            return failure(SCRIPT_CANNOT_OPEN, number);
        }
        if (got == 0) break;
        length += static_cast<size_t>(got);
        if (length > MAX_STREAMED_SCRIPT) {
            std::free(text);
            return failure(SCRIPT_TOO_LARGE, 0);
        }
        if (length == capacity) {
            capacity *= 2;
            char* grown = static_cast<char*>(std::realloc(text, capacity + 1));
            if (grown == nullptr) std::free(text);
            text = grown;
        }
    }
    text[length] = '\0';
    return ScriptText{text, length, SCRIPT_READ, 0};
}

// What a descriptor holds, read whole as the path's kind of file allows.
static ScriptText read_descriptor(int descriptor, bool streams, bool is_stdin) {
    struct stat info;
    if (fstat(descriptor, &info) != 0) return failure(SCRIPT_CANNOT_OPEN, errno);
    if (S_ISDIR(info.st_mode)) return failure(SCRIPT_CANNOT_OPEN, EISDIR);
    if (has_known_size(descriptor, info)) {
        return read_sized(descriptor, static_cast<size_t>(info.st_size));
    }
    if (!streams) return failure(SCRIPT_CANNOT_OPEN, 0);
    // A terminal or another device has no end but the one its size gives: none.
    if (S_ISCHR(info.st_mode)) return read_sized(descriptor, 0);
    if (!is_stdin && !S_ISFIFO(info.st_mode)) return failure(SCRIPT_CANNOT_OPEN, 0);
    // The pipe was opened without waiting; now its reads should wait for the writer.
    if (!is_stdin) fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return read_stream(descriptor);
}

ScriptText read_script_file(const char* path, bool streams) {
    bool is_stdin = streams && std::strcmp(path, "-") == 0;
    if (is_stdin) return read_descriptor(STDIN_FILENO, streams, true);
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return failure(SCRIPT_CANNOT_OPEN, errno);
    ScriptText result = read_descriptor(descriptor, streams, false);
    close(descriptor);
    return result;
}
