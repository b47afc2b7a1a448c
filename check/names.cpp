// The name rules, over the declarations and uses the syntax pass recorded in text order.
//
// The store keeps every entry a "var" makes, and a lookup finds the earliest entry of a name; an
// assignment makes its entry a number. The rules follow from that, read in text order.
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "habits.h"
#include "literal.h"
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

// The closest declared name, when it is close enough to be a slip a reader would make: two
// letters swapped between two-letter names, one edit between names of three letters or more,
// two between names of four or more when that is at most half the shorter name.
std::string_view closest_name(std::string_view name,
                              const std::vector<std::string_view>& declared) {
    if (name.size() > MAX_COMPARED_LENGTH || name.size() < 2) return {};
    std::string_view best;
    size_t best_distance = 3;
    for (size_t i = 0; i < declared.size() && i < MAX_CANDIDATES; i++) {
        std::string_view candidate = declared[i];
        if (candidate.size() > MAX_COMPARED_LENGTH) continue;
        size_t shorter = std::min(name.size(), candidate.size());
        if (shorter == 2) {
            bool swapped = name.size() == 2 && candidate.size() == 2 && name[0] == candidate[1] &&
                           name[1] == candidate[0];
            if (swapped && best.empty()) best = candidate;
            continue;
        }
        size_t limit = shorter >= 4 ? 2 : shorter >= 3 ? 1 : 0;
        size_t distance = edit_distance(name, candidate, limit);
        if (distance <= limit && distance < best_distance && 2 * distance <= shorter) {
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

// "x = 5;" for "var x = 5;": the declaration as an assignment, or "x = ...;" when it has no
// value as written.
std::string as_assignment(const Source& source, const Declaration& declaration) {
    int32_t value = declaration.name_token + 2;
    std::string name(source.token_text(declaration.name_token));
    bool whole = source.tokens[declaration.name_token + 1].type == TOKEN_ASSIGN &&
                 declaration.ready > value &&
                 source.tokens[declaration.ready].type == TOKEN_SEMICOLON &&
                 source.tokens[value].line == source.tokens[declaration.ready].line;
    if (!whole) return name + " = ...;";
    size_t start = source.tokens[value].start;
    return name + " = " +
           std::string(
               source.text.substr(start, source.tokens[declaration.ready - 1].end - start)) +
           ";";
}

// A declaration written at the indentation of the loop holding it, in a script with a block
// left open: it is in the loop only because a "}" is missing, which the error says already.
bool follows_unclosed(const Source& source, const Facts& facts, const Declaration& declaration) {
    if (facts.unclosed.empty() || declaration.outer_loop < 0) return false;
    return source.indent(declaration.var_token) <= source.indent(declaration.outer_loop);
}

// "x / n" where n is 0 on every path: declared 0 (or a string), never assigned, and the
// declaration surely runs first.
void check_divisions(const Source& source, const Facts& facts, Sink& sink,
                     const std::unordered_map<std::string_view, std::vector<size_t>>& declared) {
    std::unordered_map<std::string_view, bool> assigned;
    for (const Use& use : facts.uses) {
        if (use.kind == UseKind::target) assigned[source.token_text(use.token)] = true;
    }
    for (const Division& division : facts.divisions) {
        std::string_view name = source.token_text(division.name);
        auto found = declared.find(name);
        if (division.dead || found == declared.end() || assigned.count(name) > 0) continue;
        const Declaration& first = facts.declarations[found->second.front()];
        if (!first.zero || first.dead || division.slash < first.ready ||
            !encloses(source, first.block, division.slash)) {
            continue;
        }
        Diagnostic& diagnostic = sink.at(division.slash, Code::division_by_zero);
        sink.note(diagnostic, first.name_token,
                  quote(name) + " is declared " +
                      (first.from_string ? "with a string, which counts as 0," : "0") +
                      " here and never assigned");
        Sink::help(diagnostic, "assign '" + std::string(name) + "' a value before dividing by it");
    }
}

// The number a token holds when it is a number literal, else NaN.
double literal_at(const Source& source, int32_t at) {
    if (source.tokens[at].type != TOKEN_NUMBER) return std::nan("");
    std::string_view text = source.token_text(at);
    return convert_literal(text.data(), text.size());
}

// How many passes a top-level loop surely makes, or 0 when that is not sure: "while (i < n)"
// (or "i > n") with "var i = a;" at the top level, "i" assigned nowhere but once in the body,
// outside any inner block, as "i = i + c;" (or "i = i - c;").
double certain_passes(const Source& source, const Facts& facts, const Loop& loop,
                      const std::unordered_map<std::string_view, std::vector<size_t>>& declared) {
    int32_t c = loop.condition_start;
    if (loop.dead || loop.condition_end != c + 3 || source.tokens[c].type != TOKEN_IDENTIFIER) {
        return 0;
    }
    TokenType comparison = source.tokens[c + 1].type;
    double limit = literal_at(source, c + 2);
    std::string_view name = source.token_text(c);
    auto found = declared.find(name);
    if ((comparison != TOKEN_LT && comparison != TOKEN_GT) || std::isnan(limit) ||
        found == declared.end()) {
        return 0;
    }
    const Declaration& first = facts.declarations[found->second.front()];
    double start = literal_at(source, first.name_token + 2);
    if (first.block >= 0 || first.dead || first.ready != first.name_token + 3 ||
        first.ready > c || std::isnan(start)) {
        return 0;
    }
    int32_t step_at = -1;
    for (const Use& use : facts.uses) {
        if (use.kind != UseKind::target || source.token_text(use.token) != name) continue;
        if (use.token < loop.open || use.token > loop.close || step_at >= 0 ||
            use.block != loop.open) {
            return 0;
        }
        step_at = use.token;
    }
    if (step_at < 0 || step_at + 5 >= static_cast<int32_t>(source.tokens.size()) ||
        source.tokens[step_at + 2].type != TOKEN_IDENTIFIER ||
        source.token_text(step_at + 2) != name ||
        source.tokens[step_at + 5].type != TOKEN_SEMICOLON) {
        return 0;
    }
    double step = literal_at(source, step_at + 4);
    TokenType op = source.tokens[step_at + 3].type;
    bool up = comparison == TOKEN_LT;
    if (std::isnan(step) || step <= 0 || op != (up ? TOKEN_PLUS : TOKEN_MINUS)) return 0;
    double distance = up ? limit - start : start - limit;
    return distance > 0 ? std::ceil(distance / step) : 0;
}

// The "var"s that surely run on every pass of a loop that surely runs more passes than the store
// has room for: the run stops with "Too many variables". Each is marked in `overflows`.
void check_store(const Source& source, const Facts& facts, Sink& sink,
                 const std::unordered_map<std::string_view, std::vector<size_t>>& declared,
                 std::vector<bool>& overflows) {
    for (const Loop& loop : facts.loops) {
        double passes = certain_passes(source, facts, loop, declared);
        if (passes <= 0) continue;
        double before = 0, each = 0;
        for (const Declaration& declaration : facts.declarations) {
            if (declaration.block < 0 && !declaration.dead && declaration.var_token < loop.open) {
                before++;
            }
            if (declaration.block == loop.open) each++;
        }
        if (each == 0 || before + each * passes <= MAX_VARS) continue;
        for (size_t i = 0; i < facts.declarations.size(); i++) {
            const Declaration& declaration = facts.declarations[i];
            if (declaration.block != loop.open) continue;
            overflows[i] = true;
            std::string name(source.token_text(declaration.name_token));
            Diagnostic& diagnostic = sink.at(declaration.var_token, Code::store_overflow, name);
            std::string runs = passes > 1e9 ? "more than 1000000000"
                                            : std::to_string(static_cast<long long>(passes));
            Sink::help(diagnostic, "the loop runs " + runs + " times and the store holds " +
                                       std::to_string(MAX_VARS) + " entries: declare '" + name +
                                       "' before the loop and assign it inside, '" +
                                       as_assignment(source, declaration) + "'");
        }
    }
}

// A loop whose "}" was taken by a "}" one too many, or that ends before a "}" that closes no
// block: its body as the run pairs it is likely not the body as written.
bool paired_wrongly(const Facts& facts, const Loop& loop) {
    if (facts.stray_close < 0 || loop.close > facts.stray_close) return false;
    return facts.extra_close < 0 || loop.close >= facts.extra_close;
}

// A while whose condition reads only names that its body never assigns: once it runs, it runs
// forever.
void check_loops(const Source& source, const Facts& facts, Sink& sink,
                 const std::unordered_map<std::string_view, std::vector<size_t>>& declared) {
    size_t next_use = 0;
    for (const Loop& loop : facts.loops) {
        while (next_use < facts.uses.size() && facts.uses[next_use].token < loop.condition_start) {
            next_use++;
        }
        std::vector<std::string_view> names;
        bool usable = !loop.dead;
        for (size_t i = next_use; i < facts.uses.size() && facts.uses[i].token < loop.condition_end;
             i++) {
            std::string_view name = source.token_text(facts.uses[i].token);
            auto found = declared.find(name);
            if (found == declared.end() ||
                facts.declarations[found->second.front()].ready > loop.condition_start) {
                usable = false;
            }
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
        if (!usable || names.empty() || paired_wrongly(facts, loop)) continue;
        // A body statement with an error of its own may be the one that changes the names.
        for (const auto& [start, end] : facts.failed) {
            if (start <= loop.open || start >= loop.close) continue;
            for (int32_t at = start; at < end && usable; at++) {
                usable = source.tokens[at].type != TOKEN_IDENTIFIER ||
                         std::find(names.begin(), names.end(), source.token_text(at)) ==
                             names.end();
            }
        }
        for (size_t i = next_use; i < facts.uses.size() && facts.uses[i].token < loop.close; i++) {
            const Use& use = facts.uses[i];
            if (use.token <= loop.open || use.kind != UseKind::target) continue;
            if (std::find(names.begin(), names.end(), source.token_text(use.token)) !=
                names.end()) {
                usable = false;
                break;
            }
        }
        if (!usable) continue;
        std::string listed;
        for (size_t i = 0; i < names.size(); i++) {
            listed += (i == 0 ? "'" : i + 1 == names.size() ? "' or '" : "', '");
            listed += std::string(names[i]);
        }
        listed += "'";
        Diagnostic& diagnostic = sink.at(loop.condition_start - 2, Code::loop_never_ends, listed);
        std::string first(names.front());
        Sink::help(diagnostic,
                   "change " + listed + " in the body, as in '" + first + " = " + first + " + 1;'");
    }
}

// Where a string variable used as a number got its string, and the number it likely meant.
void note_string_declaration(const Source& source, Diagnostic& diagnostic, Sink& sink,
                             const Declaration& first) {
    int32_t literal = first.name_token + 2;
    std::string_view written = source.token_text(literal);
    std::string_view inside = written.substr(1, written.size() - 2);
    bool number = !inside.empty() && (is_digit(inside[0]) || inside[0] == '.');
    for (char c : inside) number = number && (is_digit(c) || c == '.');
    number = number && (is_digit(inside[0]) || (inside.size() > 1 && is_digit(inside[1])));
    std::string name(source.token_text(first.name_token));
    sink.note(diagnostic, first.name_token,
              quote(name) + " gets a string here: " +
                  quote("var " + name + " = " + std::string(written) + ";"));
    if (!number) {
        Sink::help(diagnostic,
                   "a string can only be printed; keep numbers in variables of their own");
        return;
    }
    Sink::help(diagnostic, "write the number without quotes: 'var " + name + " = " +
                               std::string(inside) + ";'");
    const SourceToken& token = source.tokens[literal];
    Sink::fix(diagnostic, token.start, token.end, std::string(inside), false);
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

    std::vector<bool> overflows(facts.declarations.size());
    check_store(source, facts, sink, declared, overflows);
    for (size_t i = 0; i < facts.declarations.size(); i++) {
        const Declaration& declaration = facts.declarations[i];
        std::string_view view = source.token_text(declaration.name_token);
        std::string name(view);
        const Declaration& first = facts.declarations[declared.find(view)->second.front()];
        if (declaration.in_loop) {
            if (follows_unclosed(source, facts, declaration) || overflows[i]) continue;
            Diagnostic& diagnostic = sink.at(declaration.var_token, Code::var_in_loop, name);
            Sink::help(diagnostic, "declare '" + name +
                                       "' before the loop and assign it inside: '" +
                                       as_assignment(source, declaration) + "'");
        } else if (&first != &declaration && encloses(source, first.block, declaration.var_token)) {
            Diagnostic& diagnostic = sink.at(declaration.var_token, Code::redeclaration, name);
            sink.note(diagnostic, first.name_token, "first declared here");
            Sink::help(diagnostic,
                       "to change its value, assign: '" + as_assignment(source, declaration) + "'");
            const SourceToken& var = source.tokens[declaration.var_token];
            Sink::fix(diagnostic, var.start, source.tokens[declaration.name_token].start, "",
                      false);
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
            // A word right after an unknown byte ("“hello”") is an echo of the lexical error.
            if (source.after_junk[use.token]) continue;
            Diagnostic& diagnostic = sink.at(use.token, Code::undefined_variable, name);
            if (help_foreign_word(source, diagnostic, use.token)) continue;
            auto suggestion = suggestions.find(name);
            if (suggestion == suggestions.end() && suggestions.size() < MAX_SUGGESTED_NAMES) {
                suggestion = suggestions.emplace(name, closest_name(name, declared_names)).first;
            }
            if (suggestion != suggestions.end() && !suggestion->second.empty()) {
                std::string meant(suggestion->second);
                Sink::help(diagnostic, "did you mean '" + meant + "'?");
                const SourceToken& token = source.tokens[use.token];
                Sink::fix(diagnostic, token.start, token.end, meant, false);
            } else {
                Sink::help(diagnostic,
                           "declare it before its first use: 'var " + std::string(name) + " = 0;'");
            }
            continue;
        }
        const std::vector<size_t>& list = found->second;
        const Declaration& first = facts.declarations[list.front()];
        bool all_dead = std::all_of(list.begin(), list.end(),
                                    [&](size_t i) { return facts.declarations[i].dead; });
        bool straight = use.block < 0 || use.first_pass;
        if (all_dead && use.block < 0 && !warned_early[name]) {
            warned_early[name] = true;
            Diagnostic& diagnostic = sink.at(use.token, Code::declared_in_dead_block, name);
            sink.note(diagnostic, first.name_token,
                      "declared only here, in a block whose condition is always 0");
            Sink::help(diagnostic, "declare '" + std::string(name) + "' before that block");
            continue;
        }
        if (use.token < first.ready && !warned_early[name]) {
            warned_early[name] = true;
            if (straight) {
                Diagnostic& diagnostic =
                    sink.at(use.token, Code::use_before_declaration_error, name);
                sink.note(diagnostic, first.name_token,
                          use.block < 0 ? "declared only after this use"
                                        : "declared only after this use, so the loop's first "
                                          "pass stops here");
                Sink::help(diagnostic, "move the 'var' above this use");
            } else if (!use.in_loop) {
                Diagnostic& diagnostic = sink.at(use.token, Code::use_before_declaration, name);
                sink.note(diagnostic, first.name_token, "declared here");
                Sink::help(diagnostic, "move the 'var' above this use");
            }
            continue;
        }
        auto string = string_until.find(name);
        if (string == string_until.end() || use.token < first.ready || use.token > string->second) {
            continue;
        }
        if (use.kind == UseKind::value) {
            Diagnostic& diagnostic = sink.at(use.token, Code::string_as_number, name);
            note_string_declaration(source, diagnostic, sink, first);
        } else if (use.kind == UseKind::copy) {
            Diagnostic& diagnostic = sink.at(use.token, Code::string_copy, name);
            Sink::help(diagnostic, "only a string literal makes a string: 'var copy = \"...\";'");
        }
    }
    check_divisions(source, facts, sink, declared);
    check_loops(source, facts, sink, declared);
}
