// The front end: command line, script loading, header directive and the fatal reporter.
#include "main.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "interpreter.h"
#include "lexer.h"
#include "messages.h"
#include "scan.h"

int32_t print_newline = 1;

#ifndef AZUVEL_FUZZ  // the fuzz harness brings its own error and main
static const char usage_text[] =
    "Usage: azuvel [options] [script]\n"
    "Options:\n"
    "  -v, --version   Show version information\n";
static const char usage_script_line[] = "  <script>        Run an Azuvel script file\n";
static const char version_text[] =
    "Azuvel Re+4.0.0-Beta\n"
    "A simple interpreted programming language\n";

void error(const char* format, ...) {
    // Whatever was printed before the error is written first; a failure there cannot
    // change the outcome, which is already status 1.
    flush_output();
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    // One write for the whole line, so it cannot interleave with other output.
    size_t size = sizeof "[Error] " - 1 + (length > 0 ? length : 0) + 1;
    char* line = static_cast<char*>(std::malloc(size + 1));
    if (line != nullptr) {
        std::memcpy(line, "[Error] ", 8);
        std::vsnprintf(line + 8, size - 8, format, again);
        line[size - 1] = '\n';
        std::fwrite(line, 1, size, stderr);
    }
    va_end(again);
    std::exit(1);
}
#endif

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

void run(const char* text) {
    parse_config(text);
    char* copy = strip_config(text);
    tokenize(copy);
    start_interpreter();
    while (peek().type != TOKEN_EOF) execute_statement();
    delete[] copy;
}

// A regular file, or a character device that seeks and reads as size 0 (/dev/null): only
// their size is trusted. Pipes, sockets and terminals could block or never end.
static bool has_known_size(int descriptor, const struct stat& info) {
    if (S_ISREG(info.st_mode)) return info.st_size >= 0;
    return S_ISCHR(info.st_mode) && info.st_size == 0 && lseek(descriptor, 0, SEEK_CUR) >= 0;
}

// Reads as many bytes as the size says, never to the end: /dev/zero has size 0 and no end.
// Opening does not wait: a named pipe with no writer is refused at once instead of hanging.
void run_file(const char* path) {
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (descriptor < 0 || fstat(descriptor, &info) != 0 || !has_known_size(descriptor, info)) {
        error(MESSAGE_CANNOT_OPEN_FILE, path);
    }
    FILE* file = fdopen(descriptor, "r");
    if (file == nullptr) error(MESSAGE_CANNOT_OPEN_FILE, path);
    size_t size = static_cast<size_t>(info.st_size);
    char* text = size < SIZE_MAX ? static_cast<char*>(std::malloc(size + 1)) : nullptr;
    if (text == nullptr) error(MESSAGE_FILE_TOO_LARGE, path);
    size_t length = std::fread(text, 1, size, file);
    if (std::ferror(file)) error(MESSAGE_CANNOT_OPEN_FILE, path);
    text[length] = '\0';
    std::fclose(file);
    run(text);
    std::free(text);
}

#ifndef AZUVEL_FUZZ
static void write_text(const char* text) {
    write_output(text, std::strlen(text));
}

// Output is buffered, so a stream that cannot be written shows only when it is flushed.
[[noreturn]] static void finish(int status) {
    if (!flush_output()) error(MESSAGE_CANNOT_WRITE_OUTPUT);
    std::exit(status);
}

int main(int argc, char** argv) {
    if (argc <= 1) {
        write_text(usage_text);
        write_text(usage_script_line);
        finish(0);
    }
    if (argc > 2) {
        write_text(usage_text);
        finish(1);
    }
    if (std::strcmp(argv[1], "-v") == 0 || std::strcmp(argv[1], "--version") == 0) {
        write_text(version_text);
        finish(0);
    }
    run_file(argv[1]);
    finish(0);
}
#endif
