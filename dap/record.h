// A whole run recorded step by step, as JSON: what the playground moves through, and what
// `azuvel-dap --record` prints so that the two can be compared.
#pragma once

#include <cstdint>
#include <string>

// Steps one statement at a time up to `limit` steps. Each step is [line, column, how many blocks
// hold it, the output's length in bytes before it, the store entries that differ from the step
// before as [index, name, value, kind, unread]]; then the whole output, the error (or null), the
// exit status, and whether the limit cut the run short.
std::string record_run(const std::string& text, int64_t limit);
