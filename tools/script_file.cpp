// Reading scripts and replacing files, for the command-line tools.
#include "script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// Writes `text` to a new file beside the script, with the script's mode, and renames it over
// the script: a reader sees the old text or the new one, never a part. A symbolic link is
// followed, so the file it names is replaced and the link stays.
bool replace_file(const std::string& path, const std::string& text, std::string& problem) {
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
    std::string temporary = folder + "." + base + ".azuvel-XXXXXX";
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
