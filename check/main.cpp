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

// A script larger than this is refused rather than read: the reader might be a device that
// never ends.
constexpr size_t MAX_SCRIPT_SIZE = size_t{1} << 30;

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

// Reads a whole file, or standard input for "-"; on failure says why in `problem`. Opening
// never waits for a pipe's writer, and a device is read only as far as its size says, so
// /dev/zero is empty rather than endless.
bool read_script(const std::string& path, std::string& text, std::string& problem) {
    bool is_stdin = path == "-";
    int descriptor =
        is_stdin ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        problem = std::strerror(errno);
        return false;
    }
    struct stat info;
    if (fstat(descriptor, &info) != 0) {
        problem = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        problem = "Is a directory";
    } else if (!is_stdin && !S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode) &&
               !S_ISCHR(info.st_mode)) {
        problem = "Not a file";
    }
    if (!is_stdin) fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    // A device has no end but the one its size gives.
    size_t limit = !is_stdin && S_ISCHR(info.st_mode) ? static_cast<size_t>(info.st_size)
                                                      : MAX_SCRIPT_SIZE + 1;
    char buffer[1 << 16];
    while (problem.empty() && text.size() < limit) {
        size_t want = std::min(sizeof buffer, limit - text.size());
        ssize_t got = read(descriptor, buffer, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            problem = std::strerror(errno);
        } else if (got == 0) {
            break;
        } else {
            text.append(buffer, static_cast<size_t>(got));
            if (text.size() > MAX_SCRIPT_SIZE) problem = "File too large";
        }
    }
    if (!is_stdin) close(descriptor);
    return problem.empty();
}

// Replaces the file's contents whole: the new text goes to a temporary file beside it, which
// then takes the file's name, so a reader sees the old script or the new, never half of one.
bool replace_file(const std::string& path, const std::string& text, std::string& problem) {
    // Through a symbolic link, the file it names is replaced, and the link stays.
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        problem = std::strerror(errno);
        return false;
    }
    std::string target = resolved;
    std::free(resolved);
    struct stat info;
    if (stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = "not a regular file";
        return false;
    }
    std::string temporary = target + ".fix-XXXXXX";
    int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        problem = std::strerror(errno);
        return false;
    }
    bool ok = fchmod(descriptor, info.st_mode & 07777) == 0;
    for (size_t written = 0; ok && written < text.size();) {
        ssize_t got = ::write(descriptor, text.data() + written, text.size() - written);
        if (got < 0 && errno == EINTR) continue;
        ok = got > 0;
        if (ok) written += static_cast<size_t>(got);
    }
    ok = ok && fsync(descriptor) == 0;
    if (!ok) problem = std::strerror(errno);
    if (close(descriptor) != 0 && ok) {
        ok = false;
        problem = std::strerror(errno);
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        problem = std::strerror(errno);
    }
    if (!ok) unlink(temporary.c_str());
    return ok;
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
