// Reading a script file whole: the one reader that azuvel, the debugger's launch and the
// command-line tools share, so that all of them accept and refuse the same files.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>

// A script larger than this is refused rather than read when its size is not known beforehand:
// the reader might be a pipe that never ends.
inline constexpr size_t MAX_STREAMED_SCRIPT = size_t{1} << 30;

enum ScriptProblem {
    SCRIPT_READ,         // the text is there
    SCRIPT_CANNOT_OPEN,  // missing, unreadable, a directory, or a kind of file that may never end
    SCRIPT_TOO_LARGE,    // no memory for it, or a stream past MAX_STREAMED_SCRIPT
};

struct ScriptText {
    char* text;     // malloc'd, NUL-terminated; null unless SCRIPT_READ
    size_t length;  // without the NUL
    ScriptProblem problem;
    int error_number;  // errno of the failure, 0 when there was none (a directory, a size)
};

// Reads a regular file, or a character device as far as its size says (/dev/null is empty and
// /dev/zero has no end). Opening never waits for a pipe's writer. With `streams`, "-" is
// standard input and a pipe is read to its end as well.
ScriptText read_script_file(const char* path, bool streams);

// For the tools: the text read into `text`, and the buffer freed; false, with the problem in
// `script`, when there is none.
inline bool take_script_text(ScriptText& script, std::string& text) {
    if (script.problem != SCRIPT_READ) return false;
    text.assign(script.text, script.length);
    std::free(script.text);
    script.text = nullptr;
    return true;
}
