// What the command-line tools share about files: reading a script whole, safely, and replacing
// one atomically. azuvel-check's --fix and azuvel-fmt's -w both write through replace_file.
#pragma once

#include <cstddef>
#include <string>

// Reads a whole file, or standard input for "-"; on failure says why in `problem`.
bool read_script(const std::string& path, std::string& text, std::string& problem);

// Replaces a file's contents whole, keeping its mode (and owner where allowed); a symbolic link
// is followed. On failure says why in `problem` and leaves the file as it was.
bool replace_file(const std::string& path, const std::string& text, std::string& problem);
