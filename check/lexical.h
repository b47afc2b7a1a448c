// Lexical diagnostics: unknown bytes and unterminated strings, each with help for the habit or
// the bytes behind it.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "check.h"
#include "lines.h"

// The string that most likely lost its closing quote: the first one that runs past its line.
size_t runaway_string(std::string_view text, const std::vector<SourceToken>& tokens);

// The lexical errors, each with help for the habit or the bytes behind it.
void report_lexical(const std::vector<LexicalError>& errors, std::string_view text,
                    const LineTable& lines, const std::vector<SourceToken>& tokens,
                    std::vector<Diagnostic>& diagnostics);
