// azuvel-check: reads scripts without running them and reports every mistake it finds.
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

#include "check.h"
#include "fixes.h"
#include "messages.h"
#include "render.h"
#include "scan.h"
#include "tool_files.h"

namespace {

const char usage_text[] =
    "Usage: azuvel-check [options] FILE...\n"
    "Checks Azuvel scripts without running them; - reads standard input.\n"
    "Options:\n"
    "  --color=WHEN    colour the output: auto (the default), always or never\n"
    "  --format=FORMAT text (the default) or json\n"
    "  --fix           apply the fixes that need no choice, in place, and say what changed\n"
    "  --diff          show those fixes as a unified diff; change nothing\n"
    "  --list-codes    print every diagnostic code with its severity and what it finds\n"
    "  --list-keywords print the language's keywords, one a line\n"
    "  --list-messages print every message a run can stop with, one a line\n"
    "  -h, --help      show this help\n"
    "  -v, --version   show version information\n"
    "Exit status: 0 when no file has an error, 1 when one has, 2 for a usage or I/O problem.\n";
const char version_text[] = "azuvel-check (Azuvel Re+4.0.0-Beta)\n";


enum class Format { text, json };
enum class Mode { report, fix, diff };
enum class Color { automatic, always, never };

struct Options {
    Format format = Format::text;
    Color color = Color::automatic;
    Mode mode = Mode::report;
    std::vector<std::string> files;
};

void write(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

[[noreturn]] void usage_error(const std::string& message) {
    write(stderr, "azuvel-check: " + message + "\nTry 'azuvel-check --help'.\n");
    std::exit(2);
}

// "CODE SEVERITY DESCRIPTION", one code a line, in the table's order.
[[noreturn]] void list_codes() {
    for (const CodeInfo& code : code_table) {
        std::string line = code.name;
        line.resize(std::max<size_t>(line.size() + 1, 29), ' ');
        line += code.severity == Severity::error ? "error    " : "warning  ";
        write(stdout, line + code.description + "\n");
    }
    std::exit(0);
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
        } else if (arg == "--list-codes") {
            list_codes();
        } else if (arg == "--list-keywords") {
            for (const char* const* word = keyword_names(); *word != nullptr; word++) {
                write(stdout, std::string(*word) + "\n");
            }
            std::exit(0);
        } else if (arg == "--fix" || arg == "--diff") {
            options.mode = arg == "--fix" ? Mode::fix : Mode::diff;
        } else if (arg == "--list-messages") {
            for (const char* message : run_messages) write(stdout, std::string(message) + "\n");
            std::exit(0);
        } else if (arg == "--format=text" || arg == "--format=json") {
            options.format = arg == "--format=json" ? Format::json : Format::text;
        } else if (arg == "--color=auto" || arg == "--color=always" || arg == "--color=never") {
            options.color = arg == "--color=auto"     ? Color::automatic
                            : arg == "--color=always" ? Color::always
                                                      : Color::never;
        } else {
            usage_error("unknown option '" + arg + "'");
        }
    }
    if (options.files.empty()) usage_error("no file to check");
    if (options.mode != Mode::report && options.format == Format::json) {
        usage_error("--fix and --diff write text only");
    }
    if (options.mode == Mode::fix &&
        std::find(options.files.begin(), options.files.end(), "-") != options.files.end()) {
        usage_error("--fix changes files in place: standard input cannot be fixed");
    }
    return options;
}


// --fix and --diff on one file: applies or shows its certain fixes; returns the errors left.
int fix_file(const Options& options, const std::string& path, const std::string& text,
             const RenderOptions& render, bool& io_problem) {
    std::vector<Diagnostic> diagnostics = check(text);
    std::vector<ChosenFix> fixes = certain_fixes(diagnostics, text);
    std::string fixed = apply_fixes(text, fixes);
    if (options.mode == Mode::diff) {
        write(stdout, render_diff(fixes, path, text));
    } else if (!fixes.empty()) {
        std::string problem;
        if (!replace_file(path, fixed, problem)) {
            write(stderr, "azuvel-check: cannot write '" + path + "': " + problem + "\n");
            io_problem = true;
            return 0;
        }
        write(stdout, render_fixed(fixes, path, render));
    }
    int errors = 0;
    for (const Diagnostic& diagnostic : check(fixed)) {
        errors += diagnostic.severity == Severity::error ? 1 : 0;
    }
    return errors;
}

bool use_color(Color color) {
    if (color != Color::automatic) return color == Color::always;
    const char* no_color = std::getenv("NO_COLOR");
    if (no_color != nullptr && no_color[0] != '\0') return false;
    return isatty(STDOUT_FILENO) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options = parse_options(argc, argv);
    RenderOptions render{use_color(options.color)};
    std::vector<FileReport> reports;
    int errors = 0, warnings = 0;
    bool io_problem = false;
    for (const std::string& path : options.files) {
        std::string text, problem;
        if (!read_script(path, text, problem)) {
            write(stderr, "azuvel-check: cannot read '" + path + "': " + problem + "\n");
            io_problem = true;
            continue;
        }
        if (options.mode != Mode::report) {
            errors += fix_file(options, path == "-" ? "<stdin>" : path, text, render, io_problem);
            continue;
        }
        FileReport report{path == "-" ? "<stdin>" : path, check(text)};
        for (const Diagnostic& diagnostic : report.diagnostics) {
            (diagnostic.severity == Severity::error ? errors : warnings)++;
        }
        if (options.format == Format::text) {
            write(stdout, render_text(report.diagnostics, report.path, text, render));
            std::fflush(stdout);
        } else {
            reports.push_back(std::move(report));
        }
    }
    if (options.format == Format::json) {
        write(stdout, render_json(reports) + "\n");
    } else if (options.mode == Mode::report) {
        write(stdout, render_summary(errors, warnings, render));
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        write(stderr, "azuvel-check: cannot write to standard output\n");
        return 2;
    }
    if (io_problem) return 2;
    return errors > 0 ? 1 : 0;
}
