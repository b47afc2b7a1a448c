// The run pipeline: reading the script file, the header directive, the cleaned copy that is
// lexed, and the statement loop. In-process callers run the same pipeline through embed.h.
#include "run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "directive.h"
#include "error.h"
#include "interpreter.h"
#include "lexer.h"
#include "messages.h"

int32_t print_newline = 1;
char* cleaned_text = nullptr;

// Only the first line can hold the directive; see read_directive.
void parse_config(const char* text) {
    print_newline = read_directive(text).newlines_off ? 0 : 1;
}

// The text without the directive, when it is cut; otherwise a plain copy.
char* strip_config(const char* text) {
    Directive directive = read_directive(text);
    if (!directive.cut) return str_dup(text);
    size_t after = std::strlen(text + directive.cut_end);
    char* result = new char[directive.start + after + 1];
    std::memcpy(result, text, directive.start);
    std::memcpy(result + directive.start, text + directive.cut_end, after + 1);
    return result;
}

void load_script(const char* text) {
    parse_config(text);
    cleaned_text = strip_config(text);
    tokenize(cleaned_text);
    start_interpreter();
}

void run_statements() {
    while (peek().type != TOKEN_EOF) execute_statement();
}

void run(const char* text) {
    load_script(text);
    run_statements();
    delete[] cleaned_text;
    cleaned_text = nullptr;
}

// A regular file, or a character device that seeks and reads as size 0 (/dev/null): only
// their size is trusted. Pipes, sockets and terminals could block or never end.
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
// Opening does not wait: a named pipe with no writer is refused at once instead of hanging.
// Plain read(2) rather than a stdio stream, whose buffer and set-up the one read does not need.
void run_file(const char* path) {
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (descriptor < 0 || fstat(descriptor, &info) != 0 || !has_known_size(descriptor, info)) {
        error(MESSAGE_CANNOT_OPEN_FILE, path);
    }
    size_t size = static_cast<size_t>(info.st_size);
    char* text = size < SIZE_MAX ? static_cast<char*>(std::malloc(size + 1)) : nullptr;
    if (text == nullptr) error(MESSAGE_FILE_TOO_LARGE, path);
    size_t length = 0;
    if (!read_all(descriptor, text, size, &length)) error(MESSAGE_CANNOT_OPEN_FILE, path);
    text[length] = '\0';
    close(descriptor);
    run(text);
    std::free(text);
}
