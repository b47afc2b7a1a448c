// The debugger's engine over every script given: stepping in from the first statement to the
// end gives exactly what azuvel gives (stdout, the error line, the status), and stepping back
// from the end visits the same states in reverse. The reference states (the first 2000 steps)
// come from replays that start afresh, with no snapshot; the stepping runs take a snapshot every
// few steps and keep few, so that resuming from snapshots (and their thinning) is what they
// test. And the engine's tables of blocks and statement starts are the source model's.
//
//   dap_engine_test AZUVEL SCRIPT_OR_DIR...
#include "engine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "source_model.h"

namespace {

struct Outcome {
    std::string out, err;
    int status;
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Outcome run_azuvel(const std::string& azuvel, const std::string& script) {
    // A name of this process's own: two test runs at once must not read each other's output.
    std::string base = std::filesystem::temp_directory_path() /
                       ("dap_engine_test." + std::to_string(getpid()));
    std::string command = "'" + azuvel + "' '" + script + "' >" + base + ".out 2>" + base + ".err";
    int status = std::system(command.c_str());
    return Outcome{read_file(base + ".out"), read_file(base + ".err"), WEXITSTATUS(status)};
}

// What a stop shows: the step, the statement, the store and the output so far.
std::string describe(const Session& session) {
    std::string text = std::to_string(session.current.step) + " @" +
                       std::to_string(session.current.token) + " line " +
                       std::to_string(line_of(session, session.current.token)) + " [";
    for (const Shown& entry : show_store(session.current.store)) {
        text += entry.name + "=" + entry.value + ":" + entry.kind + (entry.unread ? "!" : "") + " ";
    }
    return text + "] out=" + session.output.substr(0, session.current.output_length);
}

Outcome outcome_of(const Session& session) {
    std::string err =
        session.error_message.empty() ? "" : "[Error] " + session.error_message + "\n";
    return Outcome{session.output, err, session.error_message.empty() ? 0 : 1};
}

int failures = 0;

// Each reference step replays from the start: past this many, stepping in is compared with
// stepping back only.
constexpr int64_t MAX_REFERENCE = 2000;

void fail(const std::string& script, const std::string& what) {
    std::printf("FAIL %s: %s\n", script.c_str(), what.c_str());
    failures++;
}

void check_script(const std::string& azuvel, const std::string& script) {
    std::string text = read_file(script);
    Outcome expected = run_azuvel(azuvel, script);

    // The reference: each step reached by a replay from the start.
    Session fresh;
    start_session(fresh, text);
    fresh.interval = int64_t{1} << 40;
    std::vector<std::string> reference;
    Stop stop = Stop::slice;
    while (stop == Stop::slice) stop = advance(fresh, Motion::run, 0, 1 << 20);
    int64_t last = fresh.last_step;
    Outcome whole = outcome_of(fresh);
    for (int64_t step = 1; step < last && step <= MAX_REFERENCE; step++) {
        go_to_step(fresh, step);
        reference.push_back(describe(fresh));
    }
    end_session(fresh);
    if (whole.out != expected.out || whole.err != expected.err || whole.status != expected.status) {
        fail(script, "a run to the end differs from azuvel: " + whole.err + " vs " + expected.err);
    }

    Session session;
    start_session(session, text);
    session.interval = 3;
    session.max_snapshots = 64;
    std::vector<std::string> forward;
    std::vector<int32_t> begun;
    for (;;) {
        stop = advance(session, Motion::step_in, 0, 1 << 20);
        if (stop != Stop::step) break;
        forward.push_back(describe(session));
        begun.push_back(session.current.token);
    }
    // Every statement the run begins is one the source model says a statement can begin at, but
    // the one an error stops: a stray "}" or the end of the text taken for a statement.
    SourceModel model = model_source(text);
    if (stop == Stop::error && !begun.empty()) begun.pop_back();
    for (int32_t token : begun) {
        if (model.statement_start[token]) continue;
        fail(script, "the run began a statement at token " + std::to_string(token) +
                         ", where the source model says none starts");
        break;
    }
    Outcome stepped = outcome_of(session);
    if (stepped.out != expected.out || stepped.err != expected.err ||
        stepped.status != expected.status) {
        fail(script, "stepping in differs from azuvel: out \"" + stepped.out + "\" err \"" +
                         stepped.err + "\", expected out \"" + expected.out + "\" err \"" +
                         expected.err + "\"");
    }
    std::vector<std::string> head(forward.begin(),
                                  forward.begin() + std::min(forward.size(), reference.size()));
    if (head != reference) fail(script, "stepping in visits other states than the replays");
    std::vector<std::string> backward;
    for (int64_t step = session.last_step - 1; step >= 1; step--) {
        if (!go_to_step(session, step)) fail(script, "no step " + std::to_string(step));
        backward.push_back(describe(session));
    }
    std::reverse(backward.begin(), backward.end());
    if (backward != forward) {
        fail(script, "stepping back visits other states than stepping in");
        for (size_t i = 0; i < backward.size() && i < forward.size(); i++) {
            if (backward[i] != forward[i]) {
                std::printf("  first difference:\n  back: %s\n  in:   %s\n", backward[i].c_str(),
                            forward[i].c_str());
                break;
            }
        }
    }
    end_session(session);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dap_engine_test AZUVEL SCRIPT_OR_DIR...\n");
        return 2;
    }
    std::vector<std::string> scripts;
    for (int i = 2; i < argc; i++) {
        if (!std::filesystem::is_directory(argv[i])) {
            scripts.push_back(argv[i]);
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
            if (entry.path().extension() == ".az") scripts.push_back(entry.path());
        }
    }
    std::sort(scripts.begin(), scripts.end());
    for (const std::string& script : scripts) check_script(argv[1], script);
    std::printf("%zu passed, %d failed\n", scripts.size() - failures, failures);
    return failures == 0 ? 0 : 1;
}
