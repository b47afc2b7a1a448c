// Help for names: a keyword or a number where a variable's name should stand, and words of other
// languages ("True", "null", "and") used as names.
#include <string>

#include "habits.h"
#include "statement_view.h"

void help_variable_name(const Source& source, Diagnostic& diagnostic, int32_t at) {
    View view{source};
    TokenType kind = view.type(at);
    if (kind >= TOKEN_PRINT && kind <= TOKEN_RETURN) {
        Sink::help(diagnostic, cat({"'", view.text(at), "' is a keyword: choose another name"}));
    } else if (kind == TOKEN_NUMBER && view.type(at + 1) == TOKEN_IDENTIFIER &&
               source.adjacent(at)) {
        help_number(source, diagnostic, at + 1);
    }
}

bool help_foreign_word(const Source& source, Diagnostic& diagnostic, int32_t name) {
    View view{source};
    std::string word = view.text(name);
    struct Meaning {
        const char* word;
        const char* value;
    };
    static const Meaning values[] = {{"True", "1"},  {"true", "1"}, {"False", "0"},
                                     {"false", "0"}, {"nil", "0"},  {"null", "0"},
                                     {"None", "0"},  {"NULL", "0"}, {"undefined", "0"}};
    for (const Meaning& meaning : values) {
        if (word != meaning.word) continue;
        Sink::help(diagnostic, "there is no '" + word +
                                   "': truth is a number, 1 for true and 0 "
                                   "for false; write " +
                                   meaning.value);
        Sink::fix(diagnostic, view.start(name), view.end(name), meaning.value, false);
        return true;
    }
    if (word == "and" || word == "or" || word == "not") {
        Sink::help(diagnostic,
                   "there is no '" + word +
                       "': multiply conditions for 'and', add them for 'or', and write 'x == 0' "
                       "for 'not x'");
        return true;
    }
    return false;
}
