// libFuzzer target for the whole pipeline: header directive, lexer and interpreter.
//
// The product ends the process at the first error. Here each input runs in the embedding
// (src/embed.h): a stop comes back here, and everything a run leaves behind is freed before the
// next one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "embed.h"
#include "messages.h"

namespace {

// Every message a script may stop with; any other message is a fault of its own.
bool is_known(const std::string& message) {
    if (message == "Step limit reached") return true;
    for (const char* known : run_messages) {
        std::string text = known;
        size_t conversion = text.find('%');  // the message goes on with a name or a byte
        if (conversion != std::string::npos ? message.compare(0, conversion, text, 0, conversion) == 0
                                            : message == text) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Scripts print; libFuzzer reports on stderr.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // As read from a file: the bytes and a NUL, so an embedded NUL ends the script early.
    RunStop run = run_embedded(std::string_view(reinterpret_cast<const char*>(data), size));
    if (run.stopped && !is_known(run.message)) {
        std::fprintf(stderr, "unexpected error message: %s\n", run.message.c_str());
        std::abort();
    }
    // Where a stop is shown comes from the cursor: it must stand inside the text.
    if (run.stopped && (run.line < 1 || run.column < 1 || run.offset > size)) {
        std::fprintf(stderr, "stop placed outside the text: line %d, column %d, offset %zu\n",
                     run.line, run.column, run.offset);
        std::abort();
    }
    if (!run.stopped && run.token != run.token_count - 1) {
        std::fprintf(stderr, "script ended with the cursor at %d of %d tokens\n", run.token,
                     run.token_count);
        std::abort();
    }
    return 0;
}
