// The playground's one debugger session: the debugger module's exports (debug_web.cpp) start it
// and move it; the questions about a run's past (past_web.cpp) are asked of the same session.
#pragma once

#include "engine.h"

// The module's session: one per page's debugger worker, started again for each Debug.
Session& playground_session();
