// azuvel-dap: the debug adapter over standard input and output.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "adapter.h"
#include "framing.h"
#include "record.h"

static const char usage[] =
    "Usage: azuvel-dap [--stdio]\n"
    "       azuvel-dap --record SCRIPT [STEPS]\n"
    "The Azuvel debug adapter: speaks the Debug Adapter Protocol on standard input and output,\n"
    "for an editor to start. It runs one script per session. --record prints a run's steps\n"
    "(at most STEPS, default 100000) as JSON, as the playground's debugger records them.\n";

// The protocol's channel: the script's own output is captured and never reaches it directly.
static int protocol_fd = STDOUT_FILENO;

// Writes everything or reports failure: a client that went away ends the session.
static bool write_all(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(protocol_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

static bool send_all(const std::vector<std::string>& messages) {
    for (const std::string& body : messages) {
        if (!write_all(frame_message(body))) return false;
    }
    return true;
}

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
    std::signal(SIGPIPE, SIG_IGN);

    Adapter adapter;
    MessageReader reader;
    static char chunk[1 << 16];
    while (!adapter.disconnected) {
        // While a run goes on, input is only looked at between slices.
        pollfd input{STDIN_FILENO, POLLIN, 0};
        int ready = poll(&input, 1, adapter.running ? 0 : -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready > 0) {
            ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            feed(reader, std::string_view(chunk, static_cast<size_t>(n)));
            for (;;) {
                ReadResult result = next_message(reader);
                if (result.status == ReadStatus::need_more) break;
                bool sent = result.status == ReadStatus::error
                                ? send_all({framing_error(adapter, result.error)})
                                : send_all(handle_message(adapter, result.body));
                if (!sent) return 1;
                if (adapter.disconnected) break;
            }
        }
        if (adapter.running && !send_all(run_slice(adapter))) return 1;
    }
    end_session(adapter.session);
    return 0;
}
