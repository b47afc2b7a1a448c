// libFuzzer target for the formatter: format_script on any bytes, with its promises checked on
// every input: the tokens and the header directive stay, the edits rebuild the output, the
// first line rule holds, and formatting the output again is a fixed point.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check.h"
#include "format.h"
#include "directive.h"
#include "scan.h"

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_fmt: %s\n", what);
    std::abort();
}

bool same_tokens(std::string_view a, std::string_view b) {
    std::vector<SourceToken> left = lex_source(a), right = lex_source(b);
    if (left.size() != right.size()) return false;
    for (size_t i = 0; i < left.size(); i++) {
        if (left[i].type != right[i].type ||
            a.substr(left[i].start, left[i].end - left[i].start) !=
                b.substr(right[i].start, right[i].end - right[i].start)) {
            return false;
        }
    }
    return true;
}

std::string_view first_line(std::string_view text) {
    return text.substr(0, text.find('\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    FormatResult result = format_script(text, true);
    if (!result.ok) {
        if (result.text != text || result.message.empty()) fault("left unchanged, yet changed");
        return 0;
    }
    const std::string& out = result.text;
    if (!same_tokens(text, out)) fault("tokens changed");
    std::string before(text);
    Directive old_directive = read_directive(before.c_str());
    Directive new_directive = read_directive(out.c_str());
    if (old_directive.found != new_directive.found || old_directive.cut != new_directive.cut ||
        old_directive.newlines_off != new_directive.newlines_off) {
        fault("header directive changed");
    }
    bool kept = first_line(text).find("sg<") != std::string_view::npos;
    if (kept ? first_line(out) != first_line(text)
             : first_line(out).find("sg<") != std::string_view::npos) {
        fault("first line rule broken");
    }
    std::string rebuilt;
    size_t at = 0;
    for (const FormatEdit& edit : result.edits) {
        if (edit.start < at || edit.end < edit.start || edit.end > text.size())
            fault("edits out of order");
        rebuilt.append(text.substr(at, edit.start - at)).append(edit.text);
        at = edit.end;
    }
    rebuilt.append(text.substr(at));
    if (rebuilt != out) fault("the edits do not give the output");
    FormatResult again = format_script(out);
    if (!again.ok || again.text != out) fault("formatting the output again changes it");
    return 0;
}
