// Every diagnostic the checker gives, in one table: its stable code, its severity, its message
// and a line saying what it finds. The passes report by enum; the renderers, `azuvel-check
// --list-codes`, the guide's table and the tests all read this table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "messages.h"

enum class Severity { error, warning };

// When the run meets an error: before anything runs, when the statement runs, or for a value.
// Advice is a warning: the run goes on.
enum class Stage : uint8_t { lexical, syntax, value, advice };

enum class Code : uint8_t {
    unknown_character,
    unterminated_string,
    too_many_tokens,
    expected_lparen_after_print,
    expected_comma,
    unexpected_token_in_print,
    expected_semicolon,
    expected_variable_name,
    expected_assign,
    unexpected_identifier,
    compound_assignment,
    expected_lparen,
    expected_rparen,
    expected_lbrace,
    expected_rbrace,
    expected_expression,
    string_in_expression,
    undefined_variable,
    use_before_declaration_error,
    declared_in_dead_block,
    division_by_zero,
    var_in_loop,
    store_overflow,
    redeclaration,
    use_before_declaration,
    string_as_number,
    string_copy,
    chained_comparison,
    loop_never_ends,
    directive_cuts_code,
    directive_not_first_line,
    carriage_returns_only,
    carriage_return_in_comment,
};

// A message may hold one "%s" or "%c": the name or byte it is about.
struct CodeInfo {
    Code code;
    const char* name;
    Severity severity;
    Stage stage;
    const char* message;
    const char* description;
};

inline constexpr CodeInfo code_table[] = {
    {Code::unknown_character, "unknown-character", Severity::error, Stage::lexical,
     MESSAGE_UNKNOWN_CHARACTER, "a byte that starts no token"},
    {Code::unterminated_string, "unterminated-string", Severity::error, Stage::lexical,
     MESSAGE_UNTERMINATED_STRING, "a string literal that never closes"},
    {Code::too_many_tokens, "too-many-tokens", Severity::error, Stage::lexical,
     MESSAGE_TOO_MANY_TOKENS, "more than 999 tokens plus the end token"},
    {Code::expected_lparen_after_print, "expected-lparen-after-print", Severity::error,
     Stage::syntax, MESSAGE_EXPECTED_LPAREN_AFTER_PRINT, "'print' without '('"},
    {Code::expected_comma, "expected-comma", Severity::error, Stage::syntax, MESSAGE_EXPECTED_COMMA,
     "two print items without ',' between them, or an expression item"},
    {Code::unexpected_token_in_print, "unexpected-token-in-print", Severity::error, Stage::syntax,
     MESSAGE_UNEXPECTED_TOKEN_IN_PRINT, "a print item that is not a name, number or string"},
    {Code::expected_semicolon, "expected-semicolon", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_SEMICOLON, "a statement that does not end with ';'"},
    {Code::expected_variable_name, "expected-variable-name", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_VARIABLE_NAME, "'var' without a name, or with a keyword"},
    {Code::expected_assign, "expected-assign", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_ASSIGN, "'var NAME' without '='"},
    {Code::unexpected_identifier, "unexpected-identifier", Severity::error, Stage::syntax,
     MESSAGE_UNEXPECTED_IDENTIFIER, "a statement that starts with a name not followed by '='"},
    {Code::compound_assignment, "compound-assignment", Severity::error, Stage::syntax,
     MESSAGE_UNEXPECTED_IDENTIFIER, "'x += 1;' or 'x++;'"},
    {Code::expected_lparen, "expected-lparen", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_LPAREN, "'if' or 'while' without '('"},
    {Code::expected_rparen, "expected-rparen", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_RPAREN, "an unclosed '(', or a condition that goes on ('&&')"},
    {Code::expected_lbrace, "expected-lbrace", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_LBRACE, "'if (...)' or 'while (...)' without '{'"},
    {Code::expected_rbrace, "expected-rbrace", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_RBRACE, "a block that is never closed; a note names the likeliest one"},
    {Code::expected_expression, "expected-expression", Severity::error, Stage::syntax,
     MESSAGE_EXPECTED_EXPRESSION, "no operand where one must stand ('-5', '<=', '!', '}')"},
    {Code::string_in_expression, "string-in-expression", Severity::error, Stage::syntax,
     MESSAGE_STRING_IN_EXPRESSION, "a string literal where a number is computed"},
    {Code::undefined_variable, "undefined-variable", Severity::error, Stage::value,
     MESSAGE_UNDEFINED_VARIABLE, "a name that no 'var' anywhere declares"},
    {Code::use_before_declaration_error, "use-before-any-declaration", Severity::error,
     Stage::value, MESSAGE_UNDEFINED_VARIABLE,
     "a use every run reaches before any 'var' of its name"},
    {Code::declared_in_dead_block, "declared-in-dead-block", Severity::error, Stage::value,
     MESSAGE_UNDEFINED_VARIABLE, "a use of a name declared only in blocks no run enters"},
    {Code::division_by_zero, "division-by-zero", Severity::error, Stage::value,
     MESSAGE_DIVISION_BY_ZERO, "a divisor that is 0 on every path to it"},
    {Code::var_in_loop, "var-in-loop", Severity::warning, Stage::advice,
     "'var %s' inside a loop adds a new entry each time it runs",
     "'var' inside a loop: every pass adds an entry, the name keeps the first"},
    {Code::store_overflow, "store-overflow", Severity::warning, Stage::advice,
     "'var %s' runs on every pass of a loop that fills the store: the run stops with "
     "'" MESSAGE_TOO_MANY_VARIABLES "'",
     "'var' inside a loop whose passes surely add more entries than the store's 100"},
    {Code::redeclaration, "redeclaration", Severity::warning, Stage::advice,
     "'%s' is already declared: this second entry is never used",
     "a second 'var' of a name: the new entry is never used"},
    {Code::use_before_declaration, "use-before-declaration", Severity::warning, Stage::advice,
     "'%s' is used before its 'var'",
     "a use, inside a block that may not run, above every 'var' of its name"},
    {Code::string_as_number, "string-as-number", Severity::warning, Stage::advice,
     "'%s' holds a string, which counts as 0 here",
     "a string variable in arithmetic, a comparison or a condition: it counts as 0"},
    {Code::string_copy, "string-copy", Severity::warning, Stage::advice,
     "'%s' holds a string: this copies 0", "'x = s;' or 'var x = s;' with a string variable"},
    {Code::chained_comparison, "chained-comparison", Severity::warning, Stage::advice,
     "this compares the 0 or 1 of the comparison before it",
     "'a < b < c' compares the 0 or 1 of 'a < b' with c"},
    {Code::loop_never_ends, "loop-never-ends", Severity::warning, Stage::advice,
     "the body never assigns %s: once this loop runs, it never ends",
     "a 'while' whose condition reads only names its body never assigns"},
    {Code::directive_cuts_code, "directive-cuts-code", Severity::warning, Stage::advice,
     "the header directive's line is cut: this code never runs",
     "code after the header directive's '>' on its line, cut with it"},
    {Code::directive_not_first_line, "directive-not-first-line", Severity::warning, Stage::advice,
     "a header directive works only on the first line",
     "'sg<' on a line after the first, where it does nothing"},
    {Code::carriage_returns_only, "carriage-returns-only", Severity::warning, Stage::advice,
     "the file has carriage returns but no newlines: this comment runs to its end",
     "no newlines: after the first '#' the whole file is a comment"},
    {Code::carriage_return_in_comment, "carriage-return-in-comment", Severity::warning,
     Stage::advice, "a carriage return inside a comment: the code after it is comment too",
     "a '\\r' in a comment hides the rest of its line, which editors show as a new line"},
};
inline constexpr size_t code_count = std::size(code_table);

// The table is in the enum's order, so that a code indexes it.
constexpr bool table_in_order() {
    for (size_t i = 0; i < code_count; i++) {
        if (static_cast<size_t>(code_table[i].code) != i) return false;
    }
    return true;
}
static_assert(table_in_order());
static_assert(code_count == static_cast<size_t>(Code::carriage_return_in_comment) + 1);

inline const CodeInfo& info(Code code) {
    return code_table[static_cast<size_t>(code)];
}

// The code's message with its "%s" or "%c" replaced by `subject`.
inline std::string code_message(Code code, std::string_view subject = {}) {
    std::string message = info(code).message;
    size_t at = message.find('%');
    if (at != std::string::npos && at + 1 < message.size()) {
        message.replace(at, 2, subject);
    }
    return message;
}
