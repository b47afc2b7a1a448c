// The formatter's promises, checked on every script given: the tokens (kinds and bytes) and
// the header directive are those of the input, formatting the output again changes nothing, the
// first line rule holds, the edits rebuild the output (and a third of them, as range formatting
// picks them, still changes only layout), and the output keeps the layout's plain rules (no
// trailing spaces, one line break style, a final line break, no two blank lines). And formatting
// never changes what the checker says: the same diagnostics in the same order, with the same
// code, severity, message, notes, help and fixes, each place named by the tokens around it
// (lines move), save the layout notes that formatting settles (layout_codes).
//
//   fmt_properties OUT_DIR FILE...
//
// Writes each result to OUT_DIR/N.az (N counts the files from 0), for the caller to run beside
// the input. Prints one line per broken promise and exits 1 if there was any.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "directive.h"
#include "format.h"
#include "keep.h"
#include "lines.h"
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

// The layout's rules that hold line by line outside string literals and kept stretches (between
// two tokens `kept` marks), after the first line when that is kept as written.
void check_lines(const std::string& name, std::string_view text, bool first_kept,
                 const std::vector<bool>& kept) {
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
        if (next > 0 && next < kept.size() && kept[next - 1] && kept[next]) {
            previous_blank = false;
            previous_break = at;
            continue;
        }
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

// The codes whose diagnostics formatting may settle or move: none so far; a layout note that
// the layout rightly changes goes here, with why.
const char* const layout_codes[] = {nullptr};

bool is_layout_code(const std::string& code) {
    for (int i = 0; layout_codes[i] != nullptr; i++) {
        if (code == layout_codes[i]) return true;
    }
    return false;
}

// A place by the tokens: "in 4+2" (two bytes into token 4), "at 4" (its first byte), "after 3"
// (just past token 3's end), "after 3, spaced" (further into the space after it).
std::string token_place(const std::vector<SourceToken>& tokens, const LineTable& lines,
                        int32_t line, int32_t column) {
    size_t offset = lines.offset(line, column);
    size_t before = 0;  // tokens that end at or before the place
    for (size_t i = 0; i < tokens.size(); i++) {
        const SourceToken& token = tokens[i];
        if (token.type == TOKEN_EOF) break;
        if (token.start <= offset && offset < token.end) {
            return offset == token.start
                       ? "at " + std::to_string(i)
                       : "in " + std::to_string(i) + "+" + std::to_string(offset - token.start);
        }
        if (token.end <= offset) before = i + 1;
    }
    if (before == 0) return "before all";
    return "after " + std::to_string(before - 1) +
           (tokens[before - 1].end == offset ? "" : ", spaced");
}

// A message with each "line N" it names given as the first token on that line, since lines move.
std::string by_tokens(std::string message, const std::vector<SourceToken>& tokens) {
    for (size_t at = message.find("line "); at != std::string::npos;
         at = message.find("line ", at + 1)) {
        size_t digits = at + 5, end = digits;
        while (end < message.size() && message[end] >= '0' && message[end] <= '9') end++;
        if (end == digits) continue;
        int32_t line = std::stoi(message.substr(digits, end - digits));
        auto first = std::find_if(tokens.begin(), tokens.end(),
                                  [line](const SourceToken& token) { return token.line >= line; });
        message.replace(at, end - at, "line of token " + std::to_string(first - tokens.begin()));
    }
    return message;
}

// What the checker says of a text, one line per diagnostic, with its places by the tokens.
std::vector<std::string> said(std::string_view text) {
    std::vector<SourceToken> tokens = lex_source(text);
    LineTable lines(text);
    std::vector<std::string> out;
    for (const Diagnostic& d : check(text)) {
        if (is_layout_code(d.code)) continue;
        std::string line = d.code + (d.severity == Severity::error ? " error " : " warning ") +
                           token_place(tokens, lines, d.line, d.column) + ": " + d.message;
        for (const Note& note : d.notes) {
            line += note.help ? " | help: " + note.message
                              : " | note " + token_place(tokens, lines, note.line, note.column) +
                                    ": " + note.message;
        }
        for (const Edit& fix : d.fixes) {
            line += " | fix " + std::string(fix.certain ? "certain" : "shown") + ": '" +
                    fix.replacement + "'";
        }
        out.push_back(by_tokens(std::move(line), tokens));
    }
    return out;
}

int compared = 0, compared_with_errors = 0, kept_parts = 0;

// The checker says the same of the formatted text as of the input.
void check_diagnostics(const std::string& name, std::string_view text, const FormatResult& result) {
    if (!result.ok || result.text == text) return;
    std::vector<std::string> before = said(text), after = said(result.text);
    compared++;
    kept_parts += static_cast<int>(result.kept.size());
    // Each line starts with the code, which holds no space, then the severity.
    auto is_error = [](const std::string& line) {
        return line.compare(line.find(' '), 7, " error ") == 0;
    };
    if (std::any_of(before.begin(), before.end(), is_error)) compared_with_errors++;
    for (size_t i = 0; i < std::max(before.size(), after.size()); i++) {
        std::string was = i < before.size() ? before[i] : "(nothing)";
        std::string now = i < after.size() ? after[i] : "(nothing)";
        if (was != now) {
            fail(name, "the checker says otherwise after formatting:\n  before: " + was +
                           "\n  after:  " + now);
            return;
        }
    }
}

void check_script(const std::string& name, const std::string& text, const std::string& out_path) {
    FormatResult result = format_checked(text, true);
    std::ofstream(out_path, std::ios::binary) << result.text;
    check_diagnostics(name, text, result);
    if (!result.ok) {
        if (result.text != text) fail(name, "left unchanged, yet changed");
        if (result.message.empty()) fail(name, "left unchanged without a reason");
        return;
    }
    const std::string& out = result.text;
    std::vector<bool> kept;  // per token: on a line kept as written
    for (const SourceToken& token : lex_source(text)) {
        kept.push_back(token.type != TOKEN_EOF &&
                       keeps_lines(result.kept, token.line, token.end_line));
    }
    if (!result.kept.empty() &&
        std::count(kept.begin(), kept.end(), true) + 1 == static_cast<long>(kept.size())) {
        if (out != text) fail(name, "every line kept, yet changed");
        return;
    }
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
    FormatResult again = format_checked(out, false);
    if (!again.ok) fail(name, "the output does not format: " + again.message);
    if (again.text != out) fail(name, "formatting the output changes it");
    check_lines(name, out, first_kept, kept);
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
    std::printf("fmt_properties: %d scripts, %d failures; the checker's diagnostics compared on "
                "%d changed scripts, %d of them with errors, %d parts left as written\n",
                argc - 2, failures, compared, compared_with_errors, kept_parts);
    return failures == 0 ? 0 : 1;
}
