// libFuzzer target for the checker: check() and lex_source() on any bytes, with the promises
// the renderers and the language server rely on checked on every input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "check.h"

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_check: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<SourceToken> tokens = lex_source(text);
    if (tokens.empty() || tokens.back().type != TOKEN_EOF) fault("no end token");
    for (size_t i = 1; i < tokens.size(); i++) {
        if (tokens[i].start < tokens[i - 1].end) fault("tokens overlap");
    }
    std::vector<Diagnostic> diagnostics = check(text);
    for (size_t i = 0; i < diagnostics.size(); i++) {
        const Diagnostic& diagnostic = diagnostics[i];
        if (diagnostic.line < 1 || diagnostic.column < 1 ||
            diagnostic.end_column <= diagnostic.column) {
            fault("a diagnostic without a place");
        }
        if (diagnostic.code.empty() || diagnostic.message.empty()) fault("an empty diagnostic");
        const CodeInfo* entry = nullptr;
        for (const CodeInfo& code : code_table) {
            if (diagnostic.code == code.name) entry = &code;
        }
        if (entry == nullptr) fault("a code that is not in the table");
        if (entry->severity != diagnostic.severity) fault("a severity that is not the table's");
        for (const Edit& edit : diagnostic.fixes) {
            if (edit.start > edit.end || edit.end > text.size()) fault("a fix outside the text");
        }
        if (i > 0 && (diagnostics[i - 1].line > diagnostic.line ||
                      (diagnostics[i - 1].line == diagnostic.line &&
                       diagnostics[i - 1].column > diagnostic.column))) {
            fault("diagnostics out of text order");
        }
        for (const Note& note : diagnostic.notes) {
            if (!note.help && (note.line < 1 || note.column < 1)) fault("a note without a place");
        }
    }
    return 0;
}
