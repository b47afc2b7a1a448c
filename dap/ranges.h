// What a breakpoint's condition can come to over an interval of a run, from the values its names
// took there (the snapshot's store at its start, and the least and greatest value each entry was
// given in it): where it cannot hold, reverse continue skips the interval without replaying it.
#pragma once

#include <cstdint>

#include "embed.h"
#include "engine.h"

// Widens an entry's range by a value written to it.
void widen(ValueRange& range, double value);

// Whether the condition may hold at some step of snapshot `index`'s interval: false only when
// every value its names took there makes it 0. An empty condition, one that cannot be computed,
// and one over a name the store did not hold at the interval's start may always hold.
bool condition_may_hold(const Session& session, size_t index, const LexedExpression& condition);
