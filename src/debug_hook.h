// The debugger's statement hook. A debug build of the interpreter (checked_path.cpp compiled
// with AZUVEL_DEBUG, linked with plain_path.cpp so that every statement passes through
// execute_statement) calls it before each statement while it is set; azuvel itself is never
// built with it. The debugger sets it for the runs it drives.
#pragma once

#include <cstdint>

// Called with the cursor on the first token of the statement about to run. It may move the
// cursor, and the statement at the cursor when it returns is the one that runs: the debugger
// steers a run back into the blocks around a snapshot this way. It may throw to end the run.
extern void (*statement_hook)(int32_t token);
