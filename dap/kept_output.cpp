// The output a session keeps, bounded however much a script prints; see engine.h.
#include "kept_output.h"

#include <algorithm>

#include "output.h"
#include "replay.h"

// Keeps output in the session: the first max_output bytes, then the last ones past them; and
// the first max_output bytes as far as the run has gone, for going forward again.
void keep_output(Session& session, const char* data, size_t size) {
    size_t at = output_size(session);
    session.output_newlines += std::count(data, data + size, '\n');
    std::string& known = session.output_known;
    if (at + size > known.size() && known.size() < session.max_output && at <= known.size()) {
        size_t skip = known.size() - at;
        known.append(data + skip, std::min(size - skip, session.max_output - known.size()));
    }
    if (session.output.size() < session.max_output) {
        size_t take = std::min(size, session.max_output - session.output.size());
        session.output.append(data, take);
        data += take;
        size -= take;
        session.output_tail_start = session.output.size();
    }
    if (size == 0) return;
    session.output_tail.append(data, size);
    if (session.output_tail.size() > session.max_output) {
        size_t drop = session.output_tail.size() - session.max_output / 2;
        session.output_tail.erase(0, drop);
        session.output_tail_start += drop;
    }
}

size_t output_size(const Session& session) {
    return session.output_tail_start + session.output_tail.size();
}

// Sets the output held to its length at another step: cut back, or brought up to it from the
// bytes known as far as the run has gone (printed again by a replay only when they are missing);
// the tail starts afresh.
void set_output(Session& session, const Snapshot& at) {
    size_t length = at.output_length;
    session.output_newlines = at.output_newlines;
    if (length <= session.output_tail_start) {
        session.output.resize(std::min(session.output.size(), length));
        session.output_tail.clear();
        session.output_tail_start = length;
    } else if (length <= output_size(session)) {
        session.output_tail.resize(length - session.output_tail_start);
        return;
    }
    size_t head = std::min(length, session.max_output);
    size_t from = session.output.size();
    if (from < head && head <= session.output_known.size()) {
        session.output.append(session.output_known, from, head - from);
    } else if (from < head) {
        session.output += replay_output(session, snapshot_before_output(session, from), from, head);
    }
    session.output_tail.clear();
    session.output_tail_start = length;
}

void note_prints(Session& session, int64_t step, int32_t token) {
    size_t now = output_size(session) + output_length;  // the interpreter's buffer too
    if (now > session.print_noted) {
        session.prints.push_back(PrintNote{session.print_noted, step, token});
    }
    session.print_noted = now;
}
