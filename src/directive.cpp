// The header directive: where it stands on the first line, whether it turns newlines off, and
// which bytes the run cuts from the text before lexing.
#include "directive.h"

#include <cstring>

#include "token.h"

// The first "sg<" on the first line is the directive. Its option scan may run on past the
// line end until a '>'; it is cut only when whitespace and '#' alone stand before it. The
// search runs with memchr: every run reads the first line twice, once for each use.
Directive read_directive(const char* text) {
    Directive directive{false, false, false, 0, 0, 0};
    const char* line_end = std::strchr(text, '\n');
    if (line_end == nullptr) line_end = text + std::strlen(text);
    const char* p = text;
    while ((p = static_cast<const char*>(std::memchr(p, 's', line_end - p))) != nullptr) {
        if (p[1] == 'g' && p[2] == '<') break;
        p++;
    }
    if (p == nullptr) return directive;
    directive.found = true;
    directive.start = p - text;
    directive.cut_end = line_end - text;
    directive.cut = true;
    for (const char* q = text; q < p; q++) {
        if (!is_space(*q) && *q != '#') directive.cut = false;
    }
    const char* q = p + 3;
    while (*q != '\0' && *q != '>') {
        if (q[0] == 'n' && q[1] == 'e' && q[2] == 'l') directive.newlines_off = true;
        q++;
    }
    directive.option_end = q - text;
    return directive;
}
