// What the command-line tools share about files: reading a script whole, safely, and replacing
// one atomically. azuvel-check's --fix and azuvel-fmt's -w both write through replace_file.
#pragma once

#include <cstddef>
#include <string>

// A script larger than this is refused rather than read: the reader might be a device that
// never ends.
inline constexpr size_t MAX_SCRIPT_SIZE = size_t{1} << 30;

// Reads a whole file, or standard input for "-"; on failure says why in `problem`.
bool read_script(const std::string& path, std::string& text, std::string& problem);

// Replaces a file's contents whole, keeping its mode (and owner where allowed); a symbolic link
// is followed. On failure says why in `problem` and leaves the file as it was.
bool replace_file(const std::string& path, const std::string& text, std::string& problem);
