// The output a session keeps: the first max_output bytes, then the last ones past them (engine.h
// says why), and which step printed what, for a client that shows each print's place.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine.h"

// Keeps bytes the run printed.
void keep_output(Session& session, const char* data, size_t size);
// Sets the output held to its length at a snapshot: cut back, or brought up to it (the first
// max_output bytes printed again by a replay when they are missing; the tail starts afresh).
void set_output(Session& session, const Snapshot& at);
// Notes in session.prints that the step before, which began `token`, printed, when the output
// grew since the last note (a run going forward with session.note_prints set).
void note_prints(Session& session, int64_t step, int32_t token);
