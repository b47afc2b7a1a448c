// Runs scripts inside a test or fuzzer process, one after another: `error` throws back here
// instead of ending the process, and what a run allocated is freed after it. Built with the
// interpreter's sources compiled with AZUVEL_FUZZ, which bounds the statements a run may take.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// What this process's `error` throws: the message, without "[Error] ".
struct ScriptStopped : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct RunOutcome {
    bool stopped;         // the run ended with an error
    std::string message;  // the error's message, without "[Error] "
    int32_t token;        // the cursor when the run ended
    int32_t token_count;  // the tokens of the run, the end token included
};

// Runs a script as `azuvel` would run a file holding these bytes (an embedded NUL ends it).
// Output goes to standard output.
RunOutcome run_in_process(std::string_view text);
