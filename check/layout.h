// Layout warnings: the header directive's pitfalls, and carriage returns where newlines were
// meant.
#pragma once

#include <string_view>
#include <vector>

#include "check.h"
#include "lines.h"
#include "rules.h"

// The header directive's pitfalls, and carriage returns where newlines were meant.
void report_layout(std::string_view text, const Source& source, const LineTable& lines,
                   std::vector<Diagnostic>& diagnostics);
