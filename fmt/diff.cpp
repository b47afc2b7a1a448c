// Hunks from edits: each edit marks the lines it touches on both sides; marks that share a
// line merge, and marks closer than twice the context share a hunk. Between two marks the texts
// are equal, so they hold as many lines on both sides.
#include "diff.h"

#include <algorithm>

namespace {

constexpr size_t CONTEXT = 3;

struct Lines {
    std::string_view text;
    std::vector<size_t> starts;  // after every '\n', and 0; one past the end if text ends so
    size_t count;                // lines, the last one with or without its '\n'

    explicit Lines(std::string_view text) : text(text), starts{0} {
        for (size_t i = 0; i < text.size(); i++) {
            if (text[i] == '\n') starts.push_back(i + 1);
        }
        count = text.empty() ? 0 : text.back() == '\n' ? starts.size() - 1 : starts.size();
    }

    // The line that byte `offset` is on (count for the end of a text ending with '\n').
    size_t line_of(size_t offset) const {
        return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                   starts.begin()) -
               1;
    }

    // The lines an edit of [start, end) touches: [first, last).
    void touched(size_t start, size_t end, size_t& first, size_t& last) const {
        first = std::min(line_of(start), count);
        last = std::max(first, std::min(line_of(end) + 1, count));
    }

    // Line `i` with its mark, and the note `patch` wants after a last line without '\n'.
    void write(char mark, size_t i, std::string& out) const {
        size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
        out += mark;
        out.append(text.substr(starts[i], end - starts[i]));
        if (end == text.size() && (text.empty() || text.back() != '\n'))
            out += "\n\\ No newline at end of file\n";
    }
};

// Lines [before_first, before_last) became [after_first, after_last).
struct Change {
    size_t before_first, before_last, after_first, after_last;
};

// "-3,0" names the line before an empty range.
std::string range(size_t first, size_t length) {
    return std::to_string(length == 0 ? first : first + 1) + ',' + std::to_string(length);
}

}  // namespace

std::string unified_diff(std::string_view before, std::string_view after,
                         const std::vector<FormatEdit>& edits, std::string_view name) {
    Lines old_lines(before), new_lines(after);
    std::vector<Change> changes;
    size_t shift = 0;  // where after's bytes stand against before's: grows by each edit
    for (const FormatEdit& edit : edits) {
        Change change;
        old_lines.touched(edit.start, edit.end, change.before_first, change.before_last);
        size_t start = edit.start + shift;
        new_lines.touched(start, start + edit.text.size(), change.after_first, change.after_last);
        shift += edit.text.size() - (edit.end - edit.start);
        if (!changes.empty() && change.before_first < changes.back().before_last) {
            changes.back().before_last = std::max(changes.back().before_last, change.before_last);
            changes.back().after_last = std::max(changes.back().after_last, change.after_last);
        } else {
            changes.push_back(change);
        }
    }
    if (changes.empty()) return "";

    std::string out;
    out.append("--- ").append(name).append("\t(original)\n");
    out.append("+++ ").append(name).append("\t(formatted)\n");
    for (size_t first = 0; first < changes.size();) {
        size_t last = first + 1;  // changes [first, last) make one hunk
        while (last < changes.size() &&
               changes[last].before_first - changes[last - 1].before_last <= 2 * CONTEXT) {
            last++;
        }
        size_t lead = std::min(CONTEXT, changes[first].before_first -
                                            (first == 0 ? 0 : changes[first - 1].before_last));
        size_t trail = std::min(
            CONTEXT, (last < changes.size() ? changes[last].before_first : old_lines.count) -
                         changes[last - 1].before_last);
        size_t old_start = changes[first].before_first - lead;
        size_t new_start = changes[first].after_first - lead;
        size_t old_end = changes[last - 1].before_last + trail;
        size_t new_end = changes[last - 1].after_last + trail;
        out += "@@ -" + range(old_start, old_end - old_start) + " +" +
               range(new_start, new_end - new_start) + " @@\n";
        size_t at = old_start;
        for (size_t i = first; i < last; i++) {
            for (; at < changes[i].before_first; at++) old_lines.write(' ', at, out);
            for (; at < changes[i].before_last; at++) old_lines.write('-', at, out);
            for (size_t j = changes[i].after_first; j < changes[i].after_last; j++)
                new_lines.write('+', j, out);
        }
        for (; at < old_end; at++) old_lines.write(' ', at, out);
        first = last;
    }
    return out;
}
