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

// A script larger than this is refused rather than read: the reader might be a device that
// never ends.
constexpr size_t MAX_SCRIPT_SIZE = size_t{1} << 30;

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

// Reads a whole file, or standard input for "-"; on failure says why in `problem`. Opening
// never waits for a pipe's writer, and a device is read only as far as its size says.
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
        problem = std::strerror(EISDIR);
    } else if (!is_stdin && !S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode) &&
               !S_ISCHR(info.st_mode)) {
        problem = "Not a file";
    }
    if (!is_stdin) fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
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

// Writes `text` to a new file beside the script, with the script's mode, and renames it over
// the script: a reader sees the old text or the new one, never a part. A symbolic link is
// followed, so the file it names is replaced and the link stays.
bool write_in_place(const std::string& path, const std::string& text, std::string& problem) {
    char* resolved = realpath(path.c_str(), nullptr);
    std::string target = resolved != nullptr ? resolved : path;
    std::free(resolved);
    struct stat info;
    if (stat(target.c_str(), &info) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = "not a regular file";
        return false;
    }
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = folder + "." + base + ".azuvel-fmt-XXXXXX";
    int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        problem = std::strerror(errno);
        return false;
    }
    bool ok = true;
    for (size_t done = 0; ok && done < text.size();) {
        ssize_t wrote = ::write(descriptor, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0)
            ok = false;
        else
            done += static_cast<size_t>(wrote);
    }
    // Owner and group are kept where we may set them (as root, or a group we are in);
    // elsewhere the new file is ours, as any edited file would be.
    if (ok && fchown(descriptor, info.st_uid, info.st_gid) != 0 &&
        fchown(descriptor, static_cast<uid_t>(-1), info.st_gid) != 0) {
        errno = 0;
    }
    ok = ok && fchmod(descriptor, info.st_mode & 07777) == 0 && fsync(descriptor) == 0;
    ok = close(descriptor) == 0 && ok;
    ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        problem = std::strerror(errno);
        unlink(temporary.c_str());
    }
    return ok;
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
    FormatResult result = format_script(text, options.diff);
    if (!result.ok) {
        std::string where = name + ":";
        if (result.line > 0)
            where += std::to_string(result.line) + ":" + std::to_string(result.column) + ":";
        complain(where + " " + result.message + "; left unchanged");
        if (print) write(stdout, text);
        return STATUS_ATTENTION;
    }
    if (print) write(stdout, result.text);
    if (result.text == text) return 0;
    if (options.diff) write(stdout, unified_diff(text, result.text, result.edits, name));
    if (options.check && !options.diff) write(stdout, name + "\n");
    if (options.write && !write_in_place(path, result.text, problem)) {
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
