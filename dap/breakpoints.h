// Breakpoints as a run meets them: conditions computed in the run's state, hit counts, and log
// points that print instead of stopping.
#pragma once

#include <cstdint>
#include <vector>

#include "engine.h"

// Whether a breakpoint's condition holds in the interpreter's state as it stands; one that
// cannot be computed holds, so that the stop shows why.
bool condition_holds(const Breakpoint& breakpoint);

// The breakpoints at `token`, going forward: counts their hits, writes their log points' lines
// to the session, and says whether one stops the run.
bool breakpoint_stops(Session& session, int32_t token);

// Per token, whether a breakpoint stands there, so that a step without one costs one load.
std::vector<char> breakpoint_marks(const Session& session);
