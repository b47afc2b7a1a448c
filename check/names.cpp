// The name rules, over the declarations and uses the syntax pass recorded in text order.
//
// The store keeps every entry a "var" makes, and a lookup finds the earliest entry of a name; an
// assignment makes its entry a number. The rules follow from that, read in text order.
#include <algorithm>
#include <string>
#include <unordered_map>

#include "rules.h"

namespace {

// Suggestions compare names pairwise; these bounds keep a huge script linear.
constexpr size_t MAX_SUGGESTED_NAMES = 100;  // distinct undefined names given a suggestion
constexpr size_t MAX_CANDIDATES = 500;       // distinct declared names compared with one
constexpr size_t MAX_COMPARED_LENGTH = 32;

// Edit distance, or more than `limit` once it is sure to exceed it.
size_t edit_distance(std::string_view a, std::string_view b, size_t limit) {
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) return limit + 1;
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) row[j] = j;
    for (size_t i = 1; i <= a.size(); i++) {
        size_t diagonal = row[0];
        row[0] = i;
        size_t best = row[0];
        for (size_t j = 1; j <= b.size(); j++) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
            best = std::min(best, row[j]);
        }
        if (best > limit) return limit + 1;
    }
    return row[b.size()];
}

// The closest declared name, when it is close enough to be a slip: one edit between short names,
// two when either has four letters or more, and never a whole one-letter name for another.
std::string_view closest_name(std::string_view name,
                              const std::vector<std::string_view>& declared) {
    if (name.size() > MAX_COMPARED_LENGTH) return {};
    std::string_view best;
    size_t best_distance = 3;
    for (size_t i = 0; i < declared.size() && i < MAX_CANDIDATES; i++) {
        std::string_view candidate = declared[i];
        if (candidate.size() > MAX_COMPARED_LENGTH) continue;
        size_t limit = std::max(name.size(), candidate.size()) >= 4 ? 2 : 1;
        size_t distance = edit_distance(name, candidate, limit);
        if (distance < best_distance && distance < std::max(name.size(), candidate.size())) {
            best = candidate;
            best_distance = distance;
        }
    }
    return best;
}

// Whether the block opened at `open` (-1: the top level) holds the token: a declaration there
// has surely run before the token does.
bool encloses(const Source& source, int32_t open, int32_t token) {
    if (open < 0) return true;
    int32_t end = source.block_end[open];
    return token > open && (end < 0 || token < end);
}

}  // namespace

void check_names(const Source& source, const Facts& facts, Sink& sink) {
    std::unordered_map<std::string_view, std::vector<size_t>> declared;
    std::vector<std::string_view> declared_names;  // distinct, in order of first declaration
    for (size_t i = 0; i < facts.declarations.size(); i++) {
        std::string_view name = source.token_text(facts.declarations[i].name_token);
        std::vector<size_t>& list = declared[name];
        if (list.empty()) declared_names.push_back(name);
        list.push_back(i);
    }

    for (size_t i = 0; i < facts.declarations.size(); i++) {
        const Declaration& declaration = facts.declarations[i];
        std::string_view view = source.token_text(declaration.name_token);
        std::string name(view);
        const Declaration& first = facts.declarations[declared.find(view)->second.front()];
        if (declaration.in_loop) {
            Diagnostic& diagnostic = sink.at(
                declaration.var_token, Severity::warning, "var-in-loop",
                std::string("'var ") + name + "' inside a loop adds a new entry on every pass");
            Sink::help(diagnostic, std::string("declare '") + name +
                                       "' before the loop and assign it inside: '" + name +
                                       " = ...;'");
        } else if (&first != &declaration && encloses(source, first.block, declaration.var_token)) {
            Diagnostic& diagnostic = sink.at(
                declaration.var_token, Severity::warning, "redeclaration",
                std::string("'") + name + "' is already declared: this second entry is never used");
            sink.note(diagnostic, first.name_token, "first declared here");
            Sink::help(diagnostic,
                       std::string("to change its value, assign: '") + name + " = ...;'");
        }
    }

    // The first assignment after a string declaration ends its time as a string.
    std::unordered_map<std::string_view, int32_t> string_until;
    for (const auto& [name, list] : declared) {
        const Declaration& first = facts.declarations[list.front()];
        if (first.from_string) string_until[name] = INT32_MAX;
    }
    for (const Use& use : facts.uses) {
        if (use.kind != UseKind::target) continue;
        auto found = string_until.find(source.token_text(use.token));
        if (found == string_until.end()) continue;
        const Declaration& first = facts.declarations[declared.find(found->first)->second.front()];
        if (use.token > first.ready && use.token < found->second) found->second = use.token;
    }

    std::unordered_map<std::string_view, std::string_view> suggestions;
    std::unordered_map<std::string_view, bool> warned_early;
    for (const Use& use : facts.uses) {
        std::string_view name = source.token_text(use.token);
        auto found = declared.find(name);
        if (found == declared.end()) {
            Diagnostic& diagnostic =
                sink.at(use.token, Severity::error, "undefined-variable",
                        std::string("Undefined variable: ") + std::string(name));
            auto suggestion = suggestions.find(name);
            if (suggestion == suggestions.end() && suggestions.size() < MAX_SUGGESTED_NAMES) {
                suggestion = suggestions.emplace(name, closest_name(name, declared_names)).first;
            }
            if (suggestion != suggestions.end() && !suggestion->second.empty()) {
                Sink::help(diagnostic,
                           std::string("did you mean '") + std::string(suggestion->second) + "'?");
            } else {
                Sink::help(diagnostic, std::string("declare it before its first use: 'var ") +
                                           std::string(name) + " = 0;'");
            }
            continue;
        }
        const Declaration& first = facts.declarations[found->second.front()];
        if (!use.in_loop && use.token < first.ready && !warned_early[name]) {
            warned_early[name] = true;
            Diagnostic& diagnostic =
                sink.at(use.token, Severity::warning, "use-before-declaration",
                        std::string("'") + std::string(name) + "' is used before its 'var'");
            sink.note(diagnostic, first.name_token, "declared here");
            Sink::help(diagnostic, "move the 'var' above this use");
            continue;
        }
        auto string = string_until.find(name);
        if (string == string_until.end() || use.token < first.ready || use.token > string->second) {
            continue;
        }
        if (use.kind == UseKind::value) {
            Diagnostic& diagnostic = sink.at(
                use.token, Severity::warning, "string-as-number",
                std::string("'") + std::string(name) + "' holds a string, which counts as 0 here");
            Sink::help(diagnostic,
                       "a string can only be printed; keep numbers in variables of "
                       "their own");
        } else if (use.kind == UseKind::copy) {
            Diagnostic& diagnostic =
                sink.at(use.token, Severity::warning, "string-copy",
                        std::string("'") + std::string(name) + "' holds a string: this copies 0");
            Sink::help(diagnostic, "only a string literal makes a string: 'var copy = \"...\";'");
        }
    }
}
