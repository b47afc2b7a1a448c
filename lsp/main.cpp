// azuvel-lsp: the language server over standard input and output.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "framing.h"
#include "server.h"

static const char usage[] =
    "Usage: azuvel-lsp [--stdio]\n"
    "The Azuvel language server: speaks the Language Server Protocol on standard input and\n"
    "output, for an editor to start. Logs go to standard error.\n";

// Writes everything or reports failure: a client that went away ends the session.
static bool write_all(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--stdio") == 0) continue;
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("azuvel-lsp " AZUVEL_VERSION "\n", stdout);
            return 0;
        }
        bool help = std::strcmp(argv[i], "--help") == 0;
        std::fputs(usage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // A closed pipe shows as a failed write, not as a signal that kills the server.
    std::signal(SIGPIPE, SIG_IGN);

    Server server;
    MessageReader reader;
    static char chunk[1 << 16];
    for (;;) {
        ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        feed(reader, std::string_view(chunk, static_cast<size_t>(n)));
        for (;;) {
            ReadResult result = next_message(reader);
            if (result.status == ReadStatus::need_more) break;
            if (result.status == ReadStatus::error) {
                std::fprintf(stderr, "azuvel-lsp: %s\n", result.error.c_str());
                continue;
            }
            for (const std::string& body : handle_message(server, result.body)) {
                if (!write_all(frame_message(body))) return 1;
            }
            if (server.exited) return exit_status(server);
        }
    }
    // The client closed our input without `exit`.
    return exit_status(server);
}
