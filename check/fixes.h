// Applying fixes: which ones `azuvel-check --fix` may apply by itself, and the text after them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check.h"

// A fix chosen for applying, with the diagnostic it comes from.
struct ChosenFix {
    const Diagnostic* diagnostic;
    Edit edit;
    std::string before;  // the bytes it replaces
};

// The first certain fix of each diagnostic, in text order, leaving out any that overlaps one
// before it or that the whole text does not hold.
std::vector<ChosenFix> certain_fixes(const std::vector<Diagnostic>& diagnostics,
                                     std::string_view text);

// The text with the fixes applied; they are in text order and do not overlap.
std::string apply_fixes(std::string_view text, const std::vector<ChosenFix>& fixes);
