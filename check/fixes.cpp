// Applying fixes: each one is a byte range and its replacement, applied back to front so that
// the offsets of the ones before stay true.
#include "fixes.h"

#include <algorithm>

std::vector<ChosenFix> certain_fixes(const std::vector<Diagnostic>& diagnostics,
                                     std::string_view text) {
    size_t size = text.size();
    std::vector<ChosenFix> chosen;
    for (const Diagnostic& diagnostic : diagnostics) {
        for (const Edit& edit : diagnostic.fixes) {
            if (!edit.certain || edit.start > edit.end || edit.end > size) continue;
            chosen.push_back(ChosenFix{&diagnostic, edit, {}});
            break;
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(), [](const ChosenFix& a, const ChosenFix& b) {
        return a.edit.start < b.edit.start;
    });
    std::vector<ChosenFix> apart;
    for (const ChosenFix& fix : chosen) {
        // Two insertions at one place, or a fix inside another, would depend on their order.
        if (!apart.empty() && fix.edit.start <= apart.back().edit.end &&
            (fix.edit.start < apart.back().edit.end || fix.edit.start == fix.edit.end ||
             apart.back().edit.start == apart.back().edit.end)) {
            continue;
        }
        apart.push_back(fix);
        apart.back().before =
            std::string(text.substr(fix.edit.start, fix.edit.end - fix.edit.start));
    }
    return apart;
}

std::string apply_fixes(std::string_view text, const std::vector<ChosenFix>& fixes) {
    std::string result(text);
    for (auto fix = fixes.rbegin(); fix != fixes.rend(); ++fix) {
        result.replace(fix->edit.start, fix->edit.end - fix->edit.start, fix->edit.replacement);
    }
    return result;
}
