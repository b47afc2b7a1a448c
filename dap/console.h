// The debug console's questions about the past, typed where expressions are evaluated
// (":printed 3", ":last total"), since the protocol has no requests for them; and what the
// checker says about an expression the engine cannot compute.
#pragma once

#include <cstdint>
#include <string>

#include "engine.h"

// A console command's answer: its text, or why it cannot be answered; `go_to` is the step the
// session moved to (":go"), 0 when it stayed.
struct ConsoleAnswer {
    bool ok;
    std::string text;
    int64_t go_to = 0;
};

// Whether an expression typed is a console command: it starts with ':'.
bool is_console_command(const std::string& expression);
// Answers one command: :printed LINE, :last NAME, :next NAME, :history NAME, :log LINE MESSAGE,
// :go STEP, :help.
ConsoleAnswer console_command(Session& session, const std::string& command);

// Why an expression cannot be computed, in the checker's words: its message with the column in
// the expression, and its help, checked as the right-hand side of a `var` after the store's
// names; empty when the checker finds no error in it.
std::string explain_expression(const Session& session, const std::string& expression);

// A value as the debugger shows it: exact, with print's form beside it where the two differ
// ("0.30000000000000004 (print: 0.3)").
std::string shown_value(const std::string& exact, const std::string& printed);
