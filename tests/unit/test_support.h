// The test build's fatal reporter throws instead of exiting, so a test can see the message.
#pragma once

#include <stdexcept>
#include <string>

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
