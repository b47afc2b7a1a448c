// azuvel-fmt: prints scripts in the one layout, checks that they are in it, shows the changes
// as a diff, or writes them back in place.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "diff.h"
#include "format.h"
#include "keep.h"
#include "tool_files.h"

namespace {

const char usage_text[] =
    "Usage: azuvel-fmt [--check] [--diff] [-w] FILE...\n"
    "Lays Azuvel scripts out in the one standard way and prints them; - reads standard input.\n"
    "Options:\n"
    "  --check         print the names of the files that would change; exit 1 if any would\n"
    "  --diff          print the changes as a unified diff instead of the scripts\n"
    "  -w              write each changed script back to its file\n"
    "  -h, --help      show this help\n"
    "  -v, --version   show version information\n"
    "Exit status: 0 when all is well, 1 when a file would change (--check) or is left as it is\n"
    "for a lexical error, 2 for a usage or I/O problem.\n";
const char version_text[] = "azuvel-fmt (Azuvel Re+4.0.0-Beta)\n";


// Exit statuses, the worst one wins.
constexpr int STATUS_ATTENTION = 1;  // a file would change (--check), or is left as it is
constexpr int STATUS_TROUBLE = 2;    // a usage or I/O problem

struct Options {
    bool check = false, diff = false, write = false;
    std::vector<std::string> files;
};

void write(FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

void complain(const std::string& message) {
    write(stderr, "azuvel-fmt: " + message + "\n");
}

[[noreturn]] void usage_error(const std::string& message) {
    complain(message + " (try 'azuvel-fmt --help')");
    std::exit(STATUS_TROUBLE);
}

Options parse_options(int argc, char** argv) {
    Options options;
    bool files_only = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (files_only || arg == "-" || arg.empty() || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            files_only = true;
        } else if (arg == "-h" || arg == "--help") {
            write(stdout, usage_text);
            std::exit(0);
        } else if (arg == "-v" || arg == "--version") {
            write(stdout, version_text);
            std::exit(0);
        } else if (arg == "--check") {
            options.check = true;
        } else if (arg == "--diff") {
            options.diff = true;
        } else if (arg == "-w") {
            options.write = true;
        } else {
            usage_error("unknown option '" + arg + "'");
        }
    }
    if (options.files.empty()) usage_error("no file to format");
    if (options.write &&
        std::find(options.files.begin(), options.files.end(), "-") != options.files.end()) {
        usage_error("-w cannot write standard input back");
    }
    return options;
}


// Formats one file as the options say; returns its exit status.
int format_file(const Options& options, const std::string& path) {
    std::string text, problem;
    if (!read_script(path, text, problem)) {
        complain("cannot read '" + path + "': " + problem);
        return STATUS_TROUBLE;
    }
    std::string name = path == "-" ? "<stdin>" : path;
    bool print = !options.check && !options.diff && !options.write;
    FormatResult result = format_checked(text, options.diff);
    if (!result.ok) {
        std::string where = name + ":";
        if (result.line > 0)
            where += std::to_string(result.line) + ":" + std::to_string(result.column) + ":";
        complain(where + " " + result.message + "; left unchanged");
        if (print) write(stdout, text);
        return STATUS_ATTENTION;
    }
    for (const KeptLines& lines : result.kept) complain(name + ":" + kept_note(lines));
    if (print) write(stdout, result.text);
    if (result.text == text) return 0;
    if (options.diff) write(stdout, unified_diff(text, result.text, result.edits, name));
    if (options.check && !options.diff) write(stdout, name + "\n");
    if (options.write && !replace_file(path, result.text, problem)) {
        complain("cannot write '" + path + "': " + problem);
        return STATUS_TROUBLE;
    }
    return options.check ? STATUS_ATTENTION : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options = parse_options(argc, argv);
    int status = 0;
    for (const std::string& path : options.files) {
        status = std::max(status, format_file(options, path));
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        complain("cannot write to standard output");
        return STATUS_TROUBLE;
    }
    return status;
}
