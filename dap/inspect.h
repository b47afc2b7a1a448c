// What the debugger shows of a run's state: store entries as print shows them, and expressions
// computed against the store as it stands in the interpreter, in a token range of their own.
#pragma once

#include <string>

#include "engine.h"

// A store entry's value as print writes it.
std::string format_value(const Variable& entry);

// An expression computed against the interpreter's store as it stands; see evaluate_text.
Evaluation compute(const std::string& expression);

// A log point's message with each "{expression}" in it computed.
std::string log_text(const std::string& message);
