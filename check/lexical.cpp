// Lexical diagnostics: an unknown byte or an unterminated string, with help for what stands there:
// typographic quotes, a byte order mark, other bytes from outside ASCII, one-byte operators of
// other languages ("~=", "^", "%", "'", ":", "."), and the string that ran past its line.
#include "lexical.h"

#include <algorithm>
#include <string>

#include "rules.h"

namespace {

// Text between straight double quotes.
std::string quoted(std::string_view inside) {
    std::string out = "\"";
    out.append(inside);
    out += '"';
    return out;
}

// "E2 80 9C": the bytes as hex, for a help line about bytes a terminal may not show.
std::string hex_bytes(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The UTF-8 sequence that starts at `at`, or one byte when it is not one.
std::string_view utf8_character(std::string_view text, size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    if (lead >= 0xF5 || at + length > text.size()) return text.substr(at, 1);
    for (size_t i = 1; i < length; i++) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return text.substr(at, 1);
    }
    return text.substr(at, length);
}

// The token that ends at `offset` exactly, or the number of tokens.
size_t token_ending_at(const std::vector<SourceToken>& tokens, size_t offset) {
    for (size_t i = 0; i < tokens.size(); i++) {
        if (tokens[i].end == offset && tokens[i].type != TOKEN_EOF) return i;
        if (tokens[i].start >= offset) break;
    }
    return tokens.size();
}

// The token that starts at `offset` exactly, or the number of tokens.
size_t token_starting_at(const std::vector<SourceToken>& tokens, size_t offset) {
    auto found =
        std::lower_bound(tokens.begin(), tokens.end(), offset,
                         [](const SourceToken& token, size_t at) { return token.start < at; });
    if (found == tokens.end() || found->start != offset || found->type == TOKEN_EOF) {
        return tokens.size();
    }
    return static_cast<size_t>(found - tokens.begin());
}

// Help for typographic quotes: the string they enclose, written with straight quotes.
void help_typographic_quote(Diagnostic& diagnostic, std::string_view text, size_t start,
                            std::string_view quote) {
    Sink::help(diagnostic, std::string("'") + std::string(quote) + "' (bytes " + hex_bytes(quote) +
                               ") is a typographic quote: strings are written between straight "
                               "double quotes, \"...\"");
    size_t line_end = text.find('\n', start);
    if (line_end == std::string_view::npos) line_end = text.size();
    for (const char* close : {"\xE2\x80\x9D", "\xE2\x80\x9C"}) {
        size_t found = text.substr(0, line_end).find(close, start + quote.size());
        if (found == std::string_view::npos) continue;
        std::string_view inside = text.substr(start + quote.size(), found - start - quote.size());
        if (inside.find('"') != std::string_view::npos) return;
        diagnostic.fixes.push_back(Edit{start, found + 3, quoted(inside), false});
        return;
    }
}

// Help for an unknown byte from outside ASCII: which character it starts, and where.
void help_non_ascii(Diagnostic& diagnostic, std::string_view text, const LineTable& lines,
                    const std::vector<SourceToken>& tokens, const LexicalError& error) {
    std::string_view character = utf8_character(text, error.start);
    if (error.start == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        Sink::help(diagnostic,
                   "the file starts with a byte order mark (bytes EF BB BF): save it as UTF-8 "
                   "without one");
        diagnostic.fixes.push_back(Edit{0, 3, "", true});
        return;
    }
    if (character == "\xE2\x80\x9C" || character == "\xE2\x80\x9D" || character == "\xE2\x80\x98" ||
        character == "\xE2\x80\x99") {
        help_typographic_quote(diagnostic, text, error.start, character);
        return;
    }
    bool in_name = token_ending_at(tokens, error.start) < tokens.size() &&
                   tokens[token_ending_at(tokens, error.start)].type == TOKEN_IDENTIFIER;
    size_t after = token_starting_at(tokens, error.end);
    in_name = in_name || (after < tokens.size() && tokens[after].type == TOKEN_IDENTIFIER);
    std::string where = "byte 0x" + hex_bytes(text.substr(error.start, 1)) + " at line " +
                        std::to_string(lines.line(error.start)) + ", column " +
                        std::to_string(lines.column(error.start));
    std::string what = character.size() > 1 ? " starts '" + std::string(character) + "' (bytes " +
                                                  hex_bytes(character) + "), which is not ASCII"
                                            : " is not ASCII text";
    Sink::help(diagnostic, where + what +
                               (in_name ? ": a name is made of ASCII letters, digits and '_'"
                                        : ": outside strings and comments, only ASCII is read"));
}

// Whether the token at `at` is inside the body of a while loop.
bool in_loop_body(const std::vector<SourceToken>& tokens, size_t at) {
    int32_t depth = 0;
    for (size_t i = at; i-- > 0;) {
        if (tokens[i].type == TOKEN_RBRACE) depth++;
        if (tokens[i].type != TOKEN_LBRACE || depth-- > 0) continue;
        depth = 0;
        if (i == 0 || tokens[i - 1].type != TOKEN_RPAREN) continue;
        int32_t parentheses = 0;
        for (size_t j = i - 1; j-- > 0;) {
            TokenType kind = tokens[j + 1].type;
            parentheses += kind == TOKEN_RPAREN ? 1 : kind == TOKEN_LPAREN ? -1 : 0;
            if (parentheses == 0) {
                if (tokens[j].type == TOKEN_WHILE) return true;
                break;
            }
        }
    }
    return false;
}

// "a % b": the remainder by repeated subtraction, into the variable the statement writes
// ("var r = a % b;", "r = a % b;"), declared before the loop when the statement is in one.
void help_remainder(Diagnostic& diagnostic, std::string_view text,
                    const std::vector<SourceToken>& tokens, size_t left, const std::string& a,
                    const std::string& b) {
    size_t start = left < tokens.size() ? left : 0;
    while (start > 0 && !ends_statement(tokens[start - 1].type) &&
           tokens[start - 1].type != TOKEN_LBRACE && tokens[start - 1].type != TOKEN_RBRACE) {
        start--;
    }
    auto word = [&](size_t index) {
        return std::string(
            text.substr(tokens[index].start, tokens[index].end - tokens[index].start));
    };
    bool declared = left < tokens.size() && left == start + 3 && tokens[start].type == TOKEN_VAR &&
                    tokens[start + 1].type == TOKEN_IDENTIFIER;
    bool assigned = left < tokens.size() && left == start + 2 &&
                    tokens[start].type == TOKEN_IDENTIFIER &&
                    tokens[start + 1].type == TOKEN_ASSIGN;
    std::string target = declared ? word(start + 1) : assigned ? word(start) : "r";
    bool loop = left < tokens.size() && in_loop_body(tokens, start);
    // Built by appending: GCC 12 warns wrongly about a literal + std::string here.
    std::string steps = target;
    steps.append(" = ").append(a).append("; while (").append(target).append(" > ").append(b);
    steps.append(" - 1) { ").append(target).append(" = ").append(target).append(" - ");
    steps.append(b).append("; }");
    std::string help = "there is no '%': for whole numbers, ";
    if (assigned) {
        help.append("'").append(steps);
    } else if (loop) {
        help.append("declare 'var ").append(target).append(" = 0;' before the loop; then '");
        help.append(steps);
    } else {
        help.append("'var ").append(steps);
    }
    help.append("' leaves the remainder in ").append(target);
    Sink::help(diagnostic, help);
}

// Help for one-byte operators of other languages: "~=", "^", "%", ":" and ".".
void help_unknown_operator(Diagnostic& diagnostic, std::string_view text,
                           const std::vector<SourceToken>& tokens, const LexicalError& error) {
    char byte = text[error.start];
    size_t before = token_ending_at(tokens, error.start);
    for (size_t gap = error.start; before == tokens.size() && gap > 0 && text[gap - 1] == ' ';) {
        before = token_ending_at(tokens, --gap);
    }
    size_t after = error.end;
    while (after < text.size() && text[after] == ' ') after++;
    size_t next = token_starting_at(tokens, after);
    auto word = [&](size_t index) {
        return std::string(
            text.substr(tokens[index].start, tokens[index].end - tokens[index].start));
    };
    bool operands = before < tokens.size() && next < tokens.size();
    if (byte == '~' && error.end - error.start == 1 && text.substr(error.end, 1) == "=") {
        Sink::help(diagnostic, "there is no '~=': 'not equal' is written '!='");
        diagnostic.fixes.push_back(Edit{error.start, error.end + 1, "!=", true});
    } else if (byte == '^') {
        std::string left = operands ? word(before) : "x";
        Sink::help(diagnostic,
                   "there is no '^': to square, multiply, '" + left + " * " + left + "'");
        if (operands &&
            text.substr(tokens[next].start, tokens[next].end - tokens[next].start) == "2" &&
            (tokens[before].type == TOKEN_IDENTIFIER || tokens[before].type == TOKEN_NUMBER)) {
            diagnostic.fixes.push_back(
                Edit{tokens[before].start, tokens[next].end, left + " * " + left, false});
        }
    } else if (byte == '%') {
        help_remainder(diagnostic, text, tokens, operands ? before : tokens.size(),
                       operands ? word(before) : "a", operands ? word(next) : "b");
    } else if (byte == '\'') {
        Sink::help(diagnostic, "strings are written in double quotes: \"text\"");
        std::string_view inside = text.substr(error.start + 1, error.end - error.start - 2);
        if (error.end - error.start >= 2 && text[error.end - 1] == '\'' &&
            inside.find('"') == std::string_view::npos) {
            diagnostic.fixes.push_back(Edit{error.start, error.end, quoted(inside), false});
        }
    } else if (byte == ':') {
        Sink::help(diagnostic, "a block is not opened with ':': it goes in braces, '{ ... }'");
    } else if (byte == '.' && operands && tokens[before].type == TOKEN_IDENTIFIER) {
        Sink::help(diagnostic, "there are no objects or methods: output is 'print(...);'");
    }
}

}  // namespace

// The string that most likely lost its closing quote: the first one that runs past its line.
size_t runaway_string(std::string_view text, const std::vector<SourceToken>& tokens) {
    for (size_t i = 0; i + 1 < tokens.size(); i++) {
        const SourceToken& token = tokens[i];
        if (token.type == TOKEN_STRING &&
            text.substr(token.start, token.end - token.start).find('\n') !=
                std::string_view::npos) {
            return i;
        }
    }
    return tokens.size();
}

// The lexical errors, each with help for the habit or the bytes behind it.
void report_lexical(const std::vector<LexicalError>& errors, std::string_view text,
                    const LineTable& lines, const std::vector<SourceToken>& tokens,
                    std::vector<Diagnostic>& diagnostics) {
    for (const LexicalError& error : errors) {
        if (error.status == SCAN_UNTERMINATED_STRING) {
            Diagnostic& diagnostic = add_at_offset(diagnostics, lines, Code::unterminated_string,
                                                   {}, error.start, error.end);
            size_t runaway = runaway_string(text, tokens);
            if (runaway < tokens.size()) {
                const SourceToken& quote = tokens[runaway];
                diagnostic.notes.push_back(Note{false, quote.line, quote.column, quote.column + 1,
                                                "this string runs past the end of its line"});
                Sink::help(diagnostic,
                           "close it with '\"' on its own line; a '\"' inside a "
                           "string is written '\\\"'");
            } else {
                Sink::help(diagnostic,
                           "close it with '\"'; a '\"' inside a string is written '\\\"'");
            }
            continue;
        }
        char byte = text[error.start];
        Diagnostic& diagnostic = add_at_offset(diagnostics, lines, Code::unknown_character,
                                               std::string_view(&byte, 1), error.start, error.end);
        if (static_cast<unsigned char>(byte) >= 0x80) {
            help_non_ascii(diagnostic, text, lines, tokens, error);
        } else {
            help_unknown_operator(diagnostic, text, tokens, error);
        }
    }
}
