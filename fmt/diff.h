// A unified diff between a script and its formatted text, built from the formatter's edits:
// they already say where the two differ, so it takes one pass, whatever the size.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "format.h"

// "--- NAME\t(original)", "+++ NAME\t(formatted)" and hunks with three lines of context, as
// `diff -u` writes them and `patch` reads them; empty when there are no edits. `edits` turn
// `before` into `after`.
std::string unified_diff(std::string_view before, std::string_view after,
                         const std::vector<FormatEdit>& edits, std::string_view name);
