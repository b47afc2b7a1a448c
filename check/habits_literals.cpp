// Help for numbers and comments as other languages write them: exponents ("1e5"), hexadecimal
// ("0x10"), names that start with a digit, and "--", "//" and "/* */" comments (with "--" as a
// decrement and "//" as division).
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "habits.h"
#include "statement_view.h"

namespace {

// A number as plain digits, when it is one a literal can write exactly.
std::string plain_number(double value) {
    char buffer[64];
    if (!std::isfinite(value) || value == 0.0 || value >= 1e21 || value < 1e-15) return "";
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return result.ec == std::errc{} ? std::string(buffer, result.ptr) : "";
}

}  // namespace

bool help_number(const Source& source, Diagnostic& diagnostic, int32_t at) {
    View view{source};
    if (at == 0 || view.type(at - 1) != TOKEN_NUMBER || view.type(at) != TOKEN_IDENTIFIER ||
        !source.adjacent(at - 1)) {
        return false;
    }
    std::string number = view.text(at - 1), word = view.text(at);
    int32_t last = at;
    if (word[0] == 'e' || word[0] == 'E') {
        std::string written = number + word;
        if (word.size() == 1 &&
            (view.type(at + 1) == TOKEN_MINUS || view.type(at + 1) == TOKEN_PLUS) &&
            source.adjacent(at) && view.type(at + 2) == TOKEN_NUMBER && source.adjacent(at + 1)) {
            written += view.text(at + 1) + view.text(at + 2);
            last = at + 2;
        }
        std::string full = plain_number(std::strtod(written.c_str(), nullptr));
        Sink::help(diagnostic, "there is no exponent notation: write " +
                                   (full.empty() ? std::string("the number in full") : full));
        if (!full.empty()) Sink::fix(diagnostic, view.start(at - 1), view.end(last), full, false);
        return true;
    }
    if (number == "0" && (word[0] == 'x' || word[0] == 'X') && word.size() > 1 &&
        word.size() < 14 &&
        word.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
        std::string value = std::to_string(std::stoull(word.substr(1), nullptr, 16));
        Sink::help(diagnostic, "there is no hexadecimal notation: write " + value);
        Sink::fix(diagnostic, view.start(at - 1), view.end(at), value, false);
        return true;
    }
    Sink::help(diagnostic, "a name cannot start with a digit: '" + number + word +
                               "' reads as the number " + number + ", then '" + word +
                               "'; start it with a letter or '_', as in '" + word + number + "'");
    return true;
}

int32_t help_comment(const Source& source, Diagnostic& diagnostic, int32_t statement_start,
                     int32_t at) {
    View view{source};
    int32_t first = -1;
    TokenType kind = view.type(at);
    if ((kind == TOKEN_MINUS || kind == TOKEN_SLASH) && source.adjacent(at) &&
        (view.type(at + 1) == kind || (kind == TOKEN_SLASH && view.type(at + 1) == TOKEN_STAR))) {
        first = at;
    } else if (at > 0 && (kind == TOKEN_MINUS || kind == TOKEN_SLASH) &&
               view.type(at - 1) == kind && source.adjacent(at - 1)) {
        first = at - 1;
    }
    if (first < 0) return -1;
    TokenType second = view.type(first + 1);
    int32_t line_end = first;
    while (line_end < view.eof() &&
           view.source.tokens[line_end].line == view.source.tokens[first].line) {
        line_end++;
    }
    bool after_operand = first > statement_start && ends_operand(view.type(first - 1));
    if (kind == TOKEN_MINUS && first == statement_start &&
        view.type(first + 2) == TOKEN_IDENTIFIER && view.type(first + 3) == TOKEN_SEMICOLON) {
        std::string name = view.text(first + 2);
        std::string replacement = name + " = " + name + " - 1;";
        Sink::help(diagnostic, "there is no '--': write '" + replacement + "'");
        Sink::fix(diagnostic, view.start(first), view.end(first + 3), replacement, true);
        return -1;
    }
    if (kind == TOKEN_SLASH && second == TOKEN_SLASH && after_operand &&
        view.type(line_end - 1) == TOKEN_SEMICOLON && line_end - 1 > first + 2) {
        std::string a = view.text(first - 1), b = view.span(first + 2, line_end - 1);
        Sink::help(diagnostic, "there is no '//': '" + a + " / " + b +
                                   "' divides without rounding; for a whole quotient, take the "
                                   "remainder away first");
        return -1;
    }
    // Code before the comment on its line still needs its ";".
    std::string marker = after_operand ? "; #" : "#";
    size_t comment_end = view.end(first + 1);
    int32_t next = line_end;
    if (second == TOKEN_STAR) {
        size_t close = source.text.find("*/", comment_end);
        size_t eol = source.text.find('\n', view.start(first));
        if (close == std::string_view::npos) {
            Sink::help(diagnostic, "comments start with '#' and end with their line");
            return line_end;
        }
        next = first;
        while (next < view.eof() && view.start(next) < close + 2) next++;
        if (close < eol) {
            size_t rest = close + 2;
            while (rest < source.text.size() &&
                   (source.text[rest] == ' ' || source.text[rest] == '\t'))
                rest++;
            if (rest == source.text.size() || source.text[rest] == '\n' ||
                source.text[rest] == '\r') {
                std::string inside(source.text.substr(comment_end, close - comment_end));
                while (!inside.empty() && inside.back() == ' ') inside.pop_back();
                Sink::help(diagnostic, "comments start with '#' and end with their line");
                Sink::fix(diagnostic, view.start(first), close + 2, marker + inside, false);
                return next;
            }
        }
        Sink::help(diagnostic,
                   "comments start with '#' and end with their line: put a '#' "
                   "before each line of this one");
        return next;
    }
    Sink::help(diagnostic, "comments start with '#'");
    Sink::fix(diagnostic, view.start(first), comment_end, marker, false);
    return line_end;
}
