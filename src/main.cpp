// azuvel's command line: usage, version, or one script run to its end.
#include <cstdlib>
#include <cstring>

#include "error.h"
#include "messages.h"
#include "output.h"
#include "run.h"

static const char usage_text[] =
    "Usage: azuvel [options] [script]\n"
    "Options:\n"
    "  -v, --version   Show version information\n";
static const char usage_script_line[] = "  <script>        Run an Azuvel script file\n";
static const char version_text[] =
    "Azuvel Re+4.0.0-Beta\n"
    "A simple interpreted programming language\n";

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
