// Replays of steps already run, for the questions about the past (past.cpp) to look at one by
// one, without moving the session: its step, store and output stay as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine.h"

// Sees a step before its statement runs, with the interpreter's store as the run had it there;
// false ends the replay. After the run's last statement (its end, or its error) it sees the step
// after it with token -1.
using StepVisitor = std::function<bool(int64_t step, int32_t token)>;

// Replays from snapshot `index` until the visitor has seen step `end` (at most the furthest step
// run, plus one) or says to stop.
void replay_steps(Session& session, size_t index, int64_t end, const StepVisitor& visit);
// The output's length so far in a replay, for a visitor.
size_t replayed_output_size();
// Replays from snapshot `index` and keeps the output bytes [from, to) printed on the way.
std::string replay_output(Session& session, size_t index, size_t from, size_t to);

// The last snapshot at or before a step.
size_t snapshot_before(const Session& session, int64_t step);
// The last snapshot whose output is at most `offset` bytes long.
size_t snapshot_before_output(const Session& session, size_t offset);
// The step just after snapshot `index`'s interval: the next snapshot's, or past the steps run.
int64_t interval_end(const Session& session, size_t index);
