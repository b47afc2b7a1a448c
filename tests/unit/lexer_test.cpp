#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "embed.h"
#include "lexer.h"

namespace {

struct Expected {
    TokenType type;
    std::string value;
};

std::vector<Expected> lex(const std::string& text) {
    tokenize(text.c_str());
    std::vector<Expected> result;
    for (int i = 0; i < token_count; i++) result.push_back({tokens[i].type, tokens[i].value});
    release_embedded();
    return result;
}

std::string lex_error(const std::string& text) {
    RunStop stop;
    bool lexed = call_embedded([](void* script) { tokenize(static_cast<const char*>(script)); },
                               const_cast<char*>(text.c_str()), stop);
    release_embedded();  // the tokens made before the error too
    return lexed ? "(no error)" : stop.message;
}

bool operator==(const Expected& a, const Expected& b) {
    return a.type == b.type && a.value == b.value;
}

void PrintTo(const Expected& e, std::ostream* os) { *os << e.type << " '" << e.value << "'"; }

const Expected end{TOKEN_EOF, ""};

struct TokenCase {
    const char* source;
    std::vector<Expected> tokens;
};

const TokenCase token_cases[] = {
    {"", {end}},
    {"  \t\r\n\v\f ", {end}},
    {"a==b", {{TOKEN_IDENTIFIER, "a"}, {TOKEN_EQ, "=="}, {TOKEN_IDENTIFIER, "b"}, end}},
    {"a=!b",
     {{TOKEN_IDENTIFIER, "a"}, {TOKEN_ASSIGN, "="}, {TOKEN_NOT, "!"}, {TOKEN_IDENTIFIER, "b"},
      end}},
    {"x & y | z",
     {{TOKEN_IDENTIFIER, "x"}, {TOKEN_IDENTIFIER, "y"}, {TOKEN_IDENTIFIER, "z"}, end}},
    {"&&||!=!", {{TOKEN_AND, "&&"}, {TOKEN_OR, "||"}, {TOKEN_NEQ, "!="}, {TOKEN_NOT, "!"}, end}},
    {"&&&", {{TOKEN_AND, "&&"}, end}},
    {".5 x.5", {{TOKEN_NUMBER, ".5"}, {TOKEN_IDENTIFIER, "x"}, {TOKEN_NUMBER, ".5"}, end}},
    {"1.2.3 5..5 5.", {{TOKEN_NUMBER, "1.2.3"}, {TOKEN_NUMBER, "5..5"}, {TOKEN_NUMBER, "5."}, end}},
    {"9abc 1e5", {{TOKEN_NUMBER, "9"}, {TOKEN_IDENTIFIER, "abc"}, {TOKEN_NUMBER, "1"},
                  {TOKEN_IDENTIFIER, "e5"}, end}},
    {"// x", {{TOKEN_SLASH, "/"}, {TOKEN_SLASH, "/"}, {TOKEN_IDENTIFIER, "x"}, end}},
    {"-5", {{TOKEN_MINUS, "-"}, {TOKEN_NUMBER, "5"}, end}},
    {"<= >=", {{TOKEN_LT, "<"}, {TOKEN_ASSIGN, "="}, {TOKEN_GT, ">"}, {TOKEN_ASSIGN, "="}, end}},
    {"print printx PRINT Print _p1",
     {{TOKEN_PRINT, "print"}, {TOKEN_IDENTIFIER, "printx"}, {TOKEN_IDENTIFIER, "PRINT"},
      {TOKEN_IDENTIFIER, "Print"}, {TOKEN_IDENTIFIER, "_p1"}, end}},
    // The ends of each byte range that makes up a name or a number.
    {"a z A Z _ a0 z9 Z_ _9 0 9",
     {{TOKEN_IDENTIFIER, "a"}, {TOKEN_IDENTIFIER, "z"}, {TOKEN_IDENTIFIER, "A"},
      {TOKEN_IDENTIFIER, "Z"}, {TOKEN_IDENTIFIER, "_"}, {TOKEN_IDENTIFIER, "a0"},
      {TOKEN_IDENTIFIER, "z9"}, {TOKEN_IDENTIFIER, "Z_"}, {TOKEN_IDENTIFIER, "_9"},
      {TOKEN_NUMBER, "0"}, {TOKEN_NUMBER, "9"}, end}},
    {"var if while function return",
     {{TOKEN_VAR, "var"}, {TOKEN_IF, "if"}, {TOKEN_WHILE, "while"},
      {TOKEN_FUNCTION, "function"}, {TOKEN_RETURN, "return"}, end}},
    {"(){},;+-*/><",
     {{TOKEN_LPAREN, "("}, {TOKEN_RPAREN, ")"}, {TOKEN_LBRACE, "{"}, {TOKEN_RBRACE, "}"},
      {TOKEN_COMMA, ","}, {TOKEN_SEMICOLON, ";"}, {TOKEN_PLUS, "+"}, {TOKEN_MINUS, "-"},
      {TOKEN_STAR, "*"}, {TOKEN_SLASH, "/"}, {TOKEN_GT, ">"}, {TOKEN_LT, "<"}, end}},
    // A backslash escapes only a double quote right after it; nothing is translated.
    {R"("a\\"b")", {{TOKEN_STRING, R"(a\\"b)"}, end}},
    {R"("a\"b" "\n")", {{TOKEN_STRING, R"(a\"b)"}, {TOKEN_STRING, R"(\n)"}, end}},
    {"\"# { } \n\"", {{TOKEN_STRING, "# { } \n"}, end}},
    {"\"\"", {{TOKEN_STRING, ""}, end}},
    {"# only a comment", {end}},
    {"1 # x\n2", {{TOKEN_NUMBER, "1"}, {TOKEN_NUMBER, "2"}, end}},
};

TEST(Lexer, TokenKindsAndTexts) {
    for (const TokenCase& c : token_cases) {
        EXPECT_EQ(lex(c.source), c.tokens) << "source: " << c.source;
    }
}

TEST(Lexer, KindCodesAreFixed) {
    EXPECT_EQ(TOKEN_EOF, 0);
    EXPECT_EQ(TOKEN_NUMBER, 3);
    EXPECT_EQ(TOKEN_RETURN, 9);
    EXPECT_EQ(TOKEN_RBRACE, 13);
    EXPECT_EQ(TOKEN_LT, 24);
    EXPECT_EQ(TOKEN_NOT, 27);
}

TEST(Lexer, LineNumbers) {
    tokenize("a\nb # c\n\nd \"x\ny\" e");
    const int expected[] = {1, 2, 4, 4, 4, 4};
    ASSERT_EQ(token_count, 6);
    // Newlines inside a string are not counted, so "e" is one line short.
    for (int i = 0; i < token_count; i++) EXPECT_EQ(tokens[i].line, expected[i]) << i;
    release_embedded();
}

struct ErrorCase {
    const char* source;
    const char* message;
};

const ErrorCase error_cases[] = {
    {"a @ b", "Unknown character: @"},
    {".", "Unknown character: ."},
    {"..5", "Unknown character: ."},
    {"'a'", "Unknown character: '"},
    {"x \x80", "Unknown character: \x80"},
    {"\xef\xbb\xbf", "Unknown character: \xef"},
    {"\"abc", "Unterminated string"},
    {"\"abc\\\"", "Unterminated string"},
};

TEST(Lexer, Errors) {
    for (const ErrorCase& c : error_cases) EXPECT_EQ(lex_error(c.source), c.message) << c.source;
}

TEST(Lexer, Capacity) {
    std::string text;
    for (int i = 0; i < MAX_TOKENS - 1; i++) text += "x ";
    EXPECT_EQ(lex(text).size(), static_cast<size_t>(MAX_TOKENS));
    EXPECT_EQ(lex_error(text + "y"), "Too many tokens");
}

}  // namespace
