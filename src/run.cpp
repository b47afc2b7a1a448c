// The run pipeline: the script file read, the header directive, the cleaned copy that is
// lexed, and the statement loop. In-process callers run the same pipeline through embed.h.
#include "run.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "directive.h"
#include "error.h"
#include "interpreter.h"
#include "lexer.h"
#include "messages.h"
#include "script_file.h"

int32_t print_newline = 1;
char* cleaned_text = nullptr;

// Only the first line can hold the directive; see read_directive.
void parse_config(const char* text) {
    print_newline = read_directive(text).newlines_off ? 0 : 1;
}

// The text without the directive, when it is cut; otherwise a plain copy.
char* strip_config(const char* text) {
    Directive directive = read_directive(text);
    if (!directive.cut) return str_dup(text);
    size_t after = std::strlen(text + directive.cut_end);
    char* result = new char[directive.start + after + 1];
    std::memcpy(result, text, directive.start);
    std::memcpy(result + directive.start, text + directive.cut_end, after + 1);
    return result;
}

void load_script(const char* text) {
    parse_config(text);
    cleaned_text = strip_config(text);
    tokenize(cleaned_text);
    start_interpreter();
}

void run_statements() {
    while (peek().type != TOKEN_EOF) execute_statement();
}

void run(const char* text) {
    load_script(text);
    run_statements();
    delete[] cleaned_text;
    cleaned_text = nullptr;
}

void run_file(const char* path) {
    ScriptText script = read_script_file(path, false);
    if (script.problem == SCRIPT_TOO_LARGE) error(MESSAGE_FILE_TOO_LARGE, path);
    if (script.problem != SCRIPT_READ) error(MESSAGE_CANNOT_OPEN_FILE, path);
    run(script.text);
    std::free(script.text);
}
