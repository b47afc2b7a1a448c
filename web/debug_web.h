// The playground's one debugger session, which the debugger module's exports drive and the
// questions about the past (past_web.cpp) ask.
#pragma once

#include "engine.h"

Session& playground_session();
