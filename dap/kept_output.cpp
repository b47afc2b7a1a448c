// The output a session keeps, bounded however much a script prints; see engine.h.
#include "kept_output.h"

#include <algorithm>

#include "output.h"
#include "replay.h"

// Keeps output in the session: the first max_output bytes, then the last ones past them.
void keep_output(Session& session, const char* data, size_t size) {
    session.output_newlines += std::count(data, data + size, '\n');
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

// Sets the output held to its length at another step: cut back, or brought up to it (the first
// max_output bytes printed again by a replay when they are missing; the tail starts afresh).
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
    if (session.output.size() < head) {
        size_t from = session.output.size();
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
