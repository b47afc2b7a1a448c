// Reading scripts and replacing files, for the command-line tools.
#include "tool_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "script_file.h"

// Reads a whole file, or standard input for "-", with the reader azuvel itself uses; on failure
// says why in `problem`.
bool read_script(const std::string& path, std::string& text, std::string& problem) {
    ScriptText script = read_script_file(path.c_str(), true);
    if (take_script_text(script, text)) return true;
    problem = script.error_number != 0             ? std::strerror(script.error_number)
              : script.problem == SCRIPT_TOO_LARGE ? "File too large"
                                                   : "Not a file";
    return false;
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
