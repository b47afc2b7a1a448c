// Renders diagnostics: text for people, JSON for tools.
#include "render.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "lines.h"

namespace {

const char* const BOLD = "\033[1m";
const char* const RED = "\033[1;31m";
const char* const MAGENTA = "\033[1;35m";
const char* const CYAN = "\033[1;36m";
const char* const GREEN = "\033[1;32m";
const char* const RESET = "\033[0m";

// Lines longer than this are shown as a window around the place.
constexpr size_t EXCERPT_WIDTH = 120;

struct Painter {
    bool color;
    std::string paint(const char* style, std::string_view text) const {
        if (!color) return std::string(text);
        return std::string(style) + std::string(text) + RESET;
    }
};

// Control bytes never reach a terminal raw: script text may hold escape sequences.
std::string printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c < 0x20 && c != '\t') || c == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The lines of a text, found once: excerpts are looked up by number for every diagnostic.
struct Lines {
    std::string_view text;
    LineTable table;

    // A 1-based line, without its newline or carriage return; empty past the end.
    std::string_view operator[](int32_t line) const { return table.text_of(text, line); }
};

// Spaces (and tabs, where the line has them) that line up with `prefix` on a terminal: one
// column per character, counting UTF-8 continuation bytes as nothing.
std::string padding_for(std::string_view prefix) {
    std::string out;
    for (unsigned char c : prefix) {
        if (c == '\t') {
            out += '\t';
        } else if ((c & 0xc0) != 0x80) {
            out += (c < 0x20 || c == 0x7f) ? "    " : " ";  // printable() shows \xHH
        }
    }
    return out;
}

// "   12 |   x = x + 1" and "      |            ^~~" under it.
std::string excerpt(const Lines& lines, int32_t line, int32_t column, int32_t end_column,
                    const Painter& painter) {
    std::string_view source = lines[line];
    size_t from = column > 0 ? static_cast<size_t>(column - 1) : 0;
    if (from > source.size()) from = source.size();
    size_t width = end_column > column ? static_cast<size_t>(end_column - column) : 1;
    if (from + width > source.size()) width = from < source.size() ? source.size() - from : 1;
    std::string lead, tail;
    size_t window_start = 0;
    if (source.size() > EXCERPT_WIDTH) {
        window_start = from > EXCERPT_WIDTH / 2 ? from - EXCERPT_WIDTH / 2 : 0;
        if (window_start > 0) lead = "...";
        if (window_start + EXCERPT_WIDTH < source.size()) tail = "...";
        source = source.substr(window_start, EXCERPT_WIDTH);
        from -= window_start;
        if (from + width > source.size()) width = from < source.size() ? source.size() - from : 1;
    }
    std::string number = std::to_string(line);
    std::string gutter(number.size() < 5 ? 5 - number.size() : 0, ' ');
    std::string blank(gutter.size() + number.size(), ' ');
    std::string marker = "^" + std::string(width > 1 ? width - 1 : 0, '~');
    std::string out = gutter + number + " | " + lead + printable(source) + tail + "\n";
    out += blank + " | " + std::string(lead.size(), ' ') + padding_for(source.substr(0, from)) +
           painter.paint(GREEN, marker) + "\n";
    return out;
}

std::string location(std::string_view path, int32_t line, int32_t column) {
    return std::string(path) + ":" + std::to_string(line) + ":" + std::to_string(column) + ":";
}

}  // namespace

std::string render_text(const std::vector<Diagnostic>& diagnostics, std::string_view path,
                        std::string_view text, const RenderOptions& options) {
    Painter painter{options.color};
    Lines lines{text, LineTable(text)};
    std::string out;
    for (const Diagnostic& diagnostic : diagnostics) {
        bool is_error = diagnostic.severity == Severity::error;
        out += painter.paint(BOLD, location(path, diagnostic.line, diagnostic.column)) + " ";
        out += painter.paint(is_error ? RED : MAGENTA, is_error ? "error:" : "warning:") + " ";
        out += painter.paint(BOLD, printable(diagnostic.message));
        out += " [" + diagnostic.code + "]\n";
        out += excerpt(lines, diagnostic.line, diagnostic.column, diagnostic.end_column, painter);
        for (const Note& note : diagnostic.notes) {
            if (note.help) continue;
            out += painter.paint(BOLD, location(path, note.line, note.column)) + " ";
            out += painter.paint(CYAN, "note:") + " " + printable(note.message) + "\n";
            out += excerpt(lines, note.line, note.column, note.end_column, painter);
        }
        for (const Note& note : diagnostic.notes) {
            if (note.help)
                out +=
                    "      " + painter.paint(CYAN, "help:") + " " + printable(note.message) + "\n";
        }
    }
    return out;
}

static std::string count(int n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string render_summary(int errors, int warnings, const RenderOptions& options) {
    if (errors == 0 && warnings == 0) return "";
    std::string text;
    if (errors > 0) text = count(errors, "error");
    if (errors > 0 && warnings > 0) text += " and ";
    if (warnings > 0) text += count(warnings, "warning");
    return Painter{options.color}.paint(BOLD, text + " found.") + "\n";
}

std::string render_json(const std::vector<FileReport>& reports) {
    nlohmann::json list = nlohmann::json::array();
    for (const FileReport& report : reports) {
        for (const Diagnostic& diagnostic : report.diagnostics) {
            nlohmann::json notes = nlohmann::json::array();
            for (const Note& note : diagnostic.notes) {
                if (note.help) {
                    notes.push_back({{"kind", "help"}, {"message", note.message}});
                } else {
                    notes.push_back({{"kind", "note"},
                                     {"line", note.line},
                                     {"column", note.column},
                                     {"end_column", note.end_column},
                                     {"message", note.message}});
                }
            }
            nlohmann::json fixes = nlohmann::json::array();
            for (const Edit& edit : diagnostic.fixes) {
                fixes.push_back({{"start", edit.start},
                                 {"end", edit.end},
                                 {"replacement", edit.replacement},
                                 {"certain", edit.certain}});
            }
            list.push_back(
                {{"file", report.path},
                 {"line", diagnostic.line},
                 {"column", diagnostic.column},
                 {"end_column", diagnostic.end_column},
                 {"severity", diagnostic.severity == Severity::error ? "error" : "warning"},
                 {"code", diagnostic.code},
                 {"message", diagnostic.message},
                 {"notes", notes},
                 {"fixes", fixes}});
        }
    }
    return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// What a fix does, in words: "replaced 'a' with 'b'", "inserted ';'", "removed ','".
static std::string describe(std::string_view before, std::string_view after) {
    auto show = [](std::string_view text) {
        std::string out = "'";
        out += printable(text);
        out += "'";
        return out;
    };
    if (before.empty()) return "inserted " + show(after);
    if (after.empty()) return "removed " + show(before);
    return "replaced " + show(before) + " with " + show(after);
}

std::string render_fixed(const std::vector<ChosenFix>& fixes, std::string_view path,
                         const RenderOptions& options) {
    Painter painter{options.color};
    std::string out;
    for (const ChosenFix& fix : fixes) {
        const Diagnostic& diagnostic = *fix.diagnostic;
        out += painter.paint(BOLD, location(path, diagnostic.line, diagnostic.column)) + " ";
        out += painter.paint(GREEN, "fixed:") + " ";
        out += describe(fix.before, fix.edit.replacement) + " [" + diagnostic.code + "]\n";
    }
    return out;
}

// The lines of `text` as diff lines, each with `mark` before it.
static std::string diff_lines(char mark, std::string_view text) {
    std::string out;
    while (!text.empty()) {
        size_t end = text.find('\n');
        bool last = end == std::string_view::npos;
        out += mark;
        out.append(text.substr(0, last ? text.size() : end));
        out += '\n';
        if (last) {
            out += "\\ No newline at end of file\n";
            break;
        }
        text.remove_prefix(end + 1);
    }
    return out;
}

// Lines of a text; a last line without its newline counts.
static size_t count_lines(std::string_view text) {
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    return lines + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// The 0-based line of an edit's last byte (of its place, for an insertion).
static size_t last_line_of(const LineTable& lines, const Edit& edit) {
    return lines.index(edit.end > edit.start ? edit.end - 1 : edit.start);
}

std::string render_diff(const std::vector<ChosenFix>& fixes, std::string_view path,
                        std::string_view text) {
    if (fixes.empty()) return "";
    LineTable lines(text);
    std::string out = "--- " + std::string(path) + "\n+++ " + std::string(path) + "\n";
    long shift = 0;  // lines the hunks before added
    for (size_t i = 0; i < fixes.size();) {
        // A hunk: whole lines, from the first fix's line to the last line a following fix
        // that starts on them touches.
        size_t first_line = lines.index(fixes[i].edit.start);
        size_t last_line = last_line_of(lines, fixes[i].edit);
        size_t j = i + 1;
        while (j < fixes.size() && lines.index(fixes[j].edit.start) <= last_line) {
            last_line = std::max(last_line, last_line_of(lines, fixes[j].edit));
            j++;
        }
        size_t from = lines.starts[first_line];
        size_t to = last_line + 1 < lines.starts.size() ? lines.starts[last_line + 1] : text.size();
        std::string after(text.substr(from, to - from));
        for (size_t k = j; k-- > i;) {
            const Edit& edit = fixes[k].edit;
            after.replace(edit.start - from, edit.end - edit.start, edit.replacement);
        }
        std::string_view before = text.substr(from, to - from);
        size_t old_count = count_lines(before), new_count = count_lines(after);
        out += "@@ -" + std::to_string(first_line + 1) + "," + std::to_string(old_count) + " +" +
               std::to_string(static_cast<long>(first_line + 1) + shift) + "," +
               std::to_string(new_count) + " @@\n";
        out += diff_lines('-', before) + diff_lines('+', after);
        shift += static_cast<long>(new_count) - static_cast<long>(old_count);
        i = j;
    }
    return out;
}
