// Breakpoints as a run meets them: conditions computed in the run's state, hit counts, and log
// points that print instead of stopping.
#pragma once

#include <cstdint>
#include <vector>

#include "embed.h"
#include "engine.h"

// The breakpoints' conditions, lexed once for a run of many steps (parallel to
// session.breakpoints); free_conditions frees them.
std::vector<LexedExpression> lex_conditions(const Session& session);
void free_conditions(std::vector<LexedExpression>& conditions);

// Whether a breakpoint's condition holds in the interpreter's state as it stands; an empty one
// always does, and one that cannot be computed holds, so that the stop shows why.
bool condition_holds(const LexedExpression& condition);

// The breakpoints at `token`, going forward: counts their hits, writes their log points' lines
// to the session, and says whether one stops the run.
bool breakpoint_stops(Session& session, int32_t token,
                      const std::vector<LexedExpression>& conditions);

// Per token, whether a breakpoint stands there, so that a step without one costs one load.
std::vector<char> breakpoint_marks(const Session& session);
