// Live notes held to the run, script by script: each print note shows what azuvel printed at
// the offsets the note gives; the last store to each entry shows what the debugger's engine
// holds there at the end; a run-time error sits on the statement where the engine stops, with
// azuvel's message; and the steps are the engine's.
//
//   live_check LIST     LIST: lines "SCRIPT<TAB>STDOUT<TAB>STDERR<TAB>STATUS" of azuvel's runs
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine.h"
#include "live.h"
#include "live_text.h"

namespace {

int failures = 0;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void fail(const std::string& script, const std::string& what) {
    if (failures < 20) std::printf("FAIL %s: %s\n", script.c_str(), what.c_str());
    failures++;
}

// The engine's run to its end, with no breakpoint.
void run_to_end(Session& session) {
    while (advance(session, Motion::run, 0, 1 << 20) == Stop::slice) {
    }
}

// A store entry as a note shows it.
std::string shown(const Variable& entry) {
    return entry.is_string ? quoted(entry.string) : exact_number(entry.number);
}

void check_prints(const std::string& script, const LiveRun& run, const std::string& out) {
    if (run.output != out.substr(0, run.output.size()) || run.output_size != out.size())
        fail(script, "the run's output is not azuvel's");
    for (const LiveNote& note : run.notes) {
        if (note.output_end == 0 && note.output_start == 0) continue;
        if (note.output_end > out.size() || note.output_start > note.output_end) {
            fail(script, "print offsets past azuvel's output at line " + std::to_string(note.line));
            continue;
        }
        std::string printed = out.substr(note.output_start, note.output_end - note.output_start);
        std::string expected = print_text(printed, 1);
        if (note.text.compare(0, expected.size(), expected) != 0)
            fail(script, "line " + std::to_string(note.line) + " shows " + note.text +
                             ", azuvel printed " + expected);
    }
}

void check_stores(const std::string& script, const LiveRun& run, const Session& session) {
    std::map<int32_t, const LiveNote*> last;  // entry: the note of its latest store
    for (const LiveNote& note : run.notes) {
        if (note.entry < 0) continue;
        auto found = last.find(note.entry);
        if (found == last.end() || found->second->step < note.step) last[note.entry] = &note;
    }
    const std::vector<Variable>& store = session.current.store;
    // An assignment that raised the error may have stored first ("x = 2" with no ";"); its
    // note is the error's, so its entry is left out.
    int32_t raised = session.loaded && !session.error_message.empty() ? session.current.token : -1;
    if (raised >= 0 && session.source[raised].type == TOKEN_IDENTIFIER) {
        std::string name(token_text(session.text, session.source[raised]));
        int32_t entry = first_entry(store.data(), static_cast<int32_t>(store.size()), name.c_str());
        last.erase(entry);
    }
    for (const auto& [entry, note] : last) {
        if (entry >= static_cast<int32_t>(store.size())) {
            fail(script, "entry " + std::to_string(entry) + " is not in the engine's store");
            continue;
        }
        std::string value = shown(store[entry]);
        std::string name = store[entry].name;
        bool once = note->text == name + " = " + value;
        bool many = note->text.rfind(name + " = " + value + " (× ", 0) == 0;
        if (note->value != value || !(once || many))
            fail(script, "line " + std::to_string(note->line) + " shows " + note->text +
                             ", the engine ends with " + name + " = " + value);
    }
}

void check_stop(const std::string& script, const LiveRun& run, Session& session,
                const std::string& err, int status) {
    std::string message = status == 0 ? "" : err.substr(8, err.size() - 9);  // "[Error] M\n"
    if ((status == 0) != (run.stop_kind == "end") || run.message != message)
        fail(script, "stopped " + run.stop_kind + " (" + run.message + "), azuvel: " + err);
    if (run.stop_step != session.last_step || run.steps + 1 != session.last_step)
        fail(script, "steps " + std::to_string(run.steps) + ", the engine's last step " +
                         std::to_string(session.last_step));
    if (status == 0) return;
    int32_t line = session.loaded ? line_of(session, session.current.token) : session.error_line;
    int32_t column =
        session.loaded ? column_of(session, session.current.token) : session.error_column;
    if (run.stop_line != line || run.stop_column != column)
        fail(script, "the error stands at " + std::to_string(run.stop_line) + ":" +
                         std::to_string(run.stop_column) + ", the engine stops at " +
                         std::to_string(line) + ":" + std::to_string(column));
    bool noted = false;
    for (const LiveNote& note : run.notes) {
        noted = noted || (note.line == line && note.column == column &&
                          note.text == "this run stops here: " + message);
    }
    if (!noted) fail(script, "no error note at " + std::to_string(line));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: live_check LIST\n", stderr);
        return 2;
    }
    std::ifstream list(argv[1]);
    int checked = 0;
    for (std::string row; std::getline(list, row);) {
        std::stringstream fields(row);
        std::string script, out_path, err_path, status_text;
        std::getline(fields, script, '\t');
        std::getline(fields, out_path, '\t');
        std::getline(fields, err_path, '\t');
        std::getline(fields, status_text, '\t');
        std::string text = read_file(script);
        LiveRun run = live_run(text, LiveLimits{});
        if (run.stop_kind != "end" && run.stop_kind != "error") continue;  // cut: nothing to hold
        Session session;
        start_session(session, text);
        run_to_end(session);
        std::string out = read_file(out_path);
        check_prints(script, run, out);
        check_stores(script, run, session);
        check_stop(script, run, session, read_file(err_path), std::stoi(status_text));
        end_session(session);
        checked++;
    }
    std::printf("%d scripts checked, %d failures\n", checked, failures);
    return failures == 0 && checked > 0 ? 0 : 1;
}
