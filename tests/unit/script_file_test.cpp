// The one reader of script files: which files azuvel, the debugger and the tools accept, and
// what they read from them.
#include "script_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Reading {
    ScriptProblem problem;
    int error_number;
    std::string text;
};

Reading read(const std::string& path, bool streams) {
    ScriptText script = read_script_file(path.c_str(), streams);
    Reading reading{script.problem, script.error_number,
                    script.text != nullptr ? std::string(script.text, script.length) : ""};
    std::free(script.text);
    return reading;
}

TEST(ScriptFile, AcceptsFilesAndRefusesWhatCouldBlockOrNeverEnd) {
    char folder[] = "/tmp/azuvel-read-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string dir = folder;
    std::string file = dir + "/a.az", fifo = dir + "/pipe";
    FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite("print(1);\0tail", 1, 14, out);
    std::fclose(out);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    struct Case {
        std::string path;
        bool streams;
        ScriptProblem problem;
        int error_number;
        std::string text;
    } cases[] = {
        {file, false, SCRIPT_READ, 0, std::string("print(1);\0tail", 14)},  // every byte
        {file, true, SCRIPT_READ, 0, std::string("print(1);\0tail", 14)},
        {dir + "/none.az", false, SCRIPT_CANNOT_OPEN, ENOENT, ""},
        {dir, false, SCRIPT_CANNOT_OPEN, EISDIR, ""},
        {dir, true, SCRIPT_CANNOT_OPEN, EISDIR, ""},
        {"/dev/null", false, SCRIPT_READ, 0, ""},
        {"/dev/zero", false, SCRIPT_READ, 0, ""},  // its size, not its endless bytes
        {fifo, false, SCRIPT_CANNOT_OPEN, 0, ""},  // refused at once, never waited on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + (c.streams ? " (streams)" : ""));
        Reading reading = read(c.path, c.streams);
        EXPECT_EQ(reading.problem, c.problem);
        EXPECT_EQ(reading.error_number, c.error_number);
        EXPECT_EQ(reading.text, c.text);
    }
    unlink(file.c_str());
    unlink(fifo.c_str());
    rmdir(folder);
}

}  // namespace
