// The formatter's promises, checked on every script given: the tokens (kinds and bytes) and
// the header directive are those of the input, formatting the output again changes nothing, the
// first line rule holds, the edits rebuild the output (and a third of them, as range formatting
// picks them, still changes only layout), and the output keeps the layout's plain rules (no
// trailing spaces, one line break style, a final line break, no two blank lines).
//
//   fmt_properties OUT_DIR FILE...
//
// Writes each result to OUT_DIR/N.az (N counts the files from 0), for the caller to run beside
// the input. Prints one line per broken promise and exits 1 if there was any.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "format.h"
#include "directive.h"
#include "scan.h"

namespace {

int failures = 0;

void fail(const std::string& name, const std::string& what) {
    failures++;
    std::printf("FAIL %s: %s\n", name.c_str(), what.c_str());
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string_view first_line(std::string_view text) {
    return text.substr(0, text.find('\n'));
}

bool same_tokens(std::string_view a, std::string_view b) {
    std::vector<SourceToken> left = lex_source(a), right = lex_source(b);
    if (left.size() != right.size()) return false;
    for (size_t i = 0; i < left.size(); i++) {
        if (left[i].type != right[i].type) return false;
        if (a.substr(left[i].start, left[i].end - left[i].start) !=
            b.substr(right[i].start, right[i].end - right[i].start)) {
            return false;
        }
    }
    return true;
}

bool same_directive(const std::string& a, const std::string& b) {
    Directive left = read_directive(a.c_str()), right = read_directive(b.c_str());
    return left.found == right.found && left.newlines_off == right.newlines_off &&
           left.cut == right.cut;
}

std::string apply(std::string_view text, const std::vector<FormatEdit>& edits) {
    std::string out;
    size_t at = 0;
    for (const FormatEdit& edit : edits) {
        out.append(text.substr(at, edit.start - at));
        out.append(edit.text);
        at = edit.end;
    }
    out.append(text.substr(at));
    return out;
}

// The layout's rules that hold line by line outside string literals, after the first line
// when that is kept as written.
void check_lines(const std::string& name, std::string_view text, bool first_kept) {
    if (text.empty()) return;
    if (text.back() != '\n') fail(name, "no final line break");
    std::vector<SourceToken> tokens = lex_source(text);
    size_t next = 0;  // the first token that does not end before the break looked at
    bool crlf = false, known = false;
    size_t previous_break = std::string_view::npos;
    bool previous_blank = false;
    size_t from = first_kept ? text.find('\n') + 1 : 0;
    for (size_t at = text.find('\n', from); at != std::string_view::npos;
         at = text.find('\n', at + 1)) {
        while (next < tokens.size() && tokens[next].end <= at) next++;
        if (next < tokens.size() && tokens[next].start < at) continue;  // inside a string
        bool has_cr = at > 0 && text[at - 1] == '\r';
        if (!known) crlf = has_cr;
        if (known && has_cr != crlf) fail(name, "line breaks of both styles");
        known = true;
        size_t end = at - (has_cr ? 1 : 0);
        if (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t'))
            fail(name, "trailing space on the line ending at byte " + std::to_string(at));
        size_t line_start = previous_break == std::string_view::npos ? 0 : previous_break + 1;
        bool blank = end == line_start;
        if (blank && previous_blank) fail(name, "two blank lines in a row");
        previous_blank = blank;
        previous_break = at;
    }
}

void check_script(const std::string& name, const std::string& text, const std::string& out_path) {
    FormatResult result = format_script(text, true);
    std::ofstream(out_path, std::ios::binary) << result.text;
    if (!result.ok) {
        if (result.text != text) fail(name, "left unchanged, yet changed");
        if (result.message.empty()) fail(name, "left unchanged without a reason");
        return;
    }
    const std::string& out = result.text;
    if (!same_tokens(text, out)) fail(name, "tokens changed");
    if (!same_directive(text, out)) fail(name, "header directive changed");
    bool first_kept = first_line(text).find("sg<") != std::string_view::npos;
    if (first_kept && first_line(out) != first_line(text)) fail(name, "first line changed");
    if (!first_kept && first_line(out).find("sg<") != std::string_view::npos)
        fail(name, "a line holding sg< became the first");
    if (apply(text, result.edits) != out) fail(name, "the edits do not give the output");
    if (range_edits(text, result.edits, 0, text.size()).size() != result.edits.size())
        fail(name, "range formatting of the whole text is not the whole formatting");
    // Parts formatted alone: what changes is still only layout.
    for (size_t part = 0; part < 3; part++) {
        std::string partly = apply(text, range_edits(text, result.edits, text.size() * part / 3,
                                                     text.size() * (part + 1) / 3));
        if (!same_tokens(text, partly) || !same_directive(text, partly))
            fail(name, "range formatting changed tokens");
        if (!first_kept && first_line(partly).find("sg<") != std::string_view::npos &&
            first_line(partly) != first_line(text)) {
            fail(name, "range formatting made a line holding sg< the first");
        }
    }
    FormatResult again = format_script(out, false);
    if (!again.ok) fail(name, "the output does not format: " + again.message);
    if (again.text != out) fail(name, "formatting the output changes it");
    check_lines(name, out, first_kept);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fmt_properties OUT_DIR FILE...\n");
        return 2;
    }
    std::string out_dir = argv[1];
    for (int i = 2; i < argc; i++) {
        check_script(argv[i], read_file(argv[i]), out_dir + "/" + std::to_string(i - 2) + ".az");
    }
    std::printf("fmt_properties: %d scripts, %d failures\n", argc - 2, failures);
    return failures == 0 ? 0 : 1;
}
