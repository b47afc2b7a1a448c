// azuvel-dap: the debug adapter over standard input and output.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "adapter.h"
#include "record.h"
#include "serve.h"

static const char usage[] =
    "Usage: azuvel-dap [--stdio]\n"
    "       azuvel-dap --record SCRIPT [STEPS]\n"
    "The Azuvel debug adapter: speaks the Debug Adapter Protocol on standard input and output,\n"
    "for an editor to start. It runs one script per session. --record prints a run's steps\n"
    "(at most STEPS, default 100000) as JSON, as the playground's debugger records them.\n";

// The protocol's channel: the script's own output is captured and never reaches it directly.
static int protocol_fd = STDOUT_FILENO;

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--record") == 0) {
        std::string text, problem;
        if (!read_program(argv[2], text, problem)) {
            std::fprintf(stderr, "azuvel-dap: %s\n", problem.c_str());
            return 2;
        }
        int64_t limit = argc >= 4 ? std::atoll(argv[3]) : 100000;
        std::string recording = record_run(text, limit > 0 ? limit : 100000) + "\n";
        return std::fwrite(recording.data(), 1, recording.size(), stdout) == recording.size() ? 0
                                                                                            : 1;
    }
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--stdio") == 0) continue;  // what some clients pass
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("azuvel-dap " AZUVEL_VERSION "\n", stdout);
            return 0;
        }
        bool help = std::strcmp(argv[i], "--help") == 0;
        std::fputs(usage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    Adapter adapter;
    Service service;
    service.handle = [&](std::string_view body) { return handle_message(adapter, body); };
    service.bad_input = [&](const std::string& error) {
        return std::vector<std::string>{framing_error(adapter, error)};
    };
    // A run that goes on advances a slice at a time, so a pause reaches an endless loop.
    service.busy = [&] { return adapter.running; };
    service.work = [&] { return run_slice(adapter); };
    service.finished = [&] { return adapter.disconnected; };
    if (serve(STDIN_FILENO, protocol_fd, service) == ServeEnd::write_failed) return 1;
    end_session(adapter.session);
    return 0;
}
