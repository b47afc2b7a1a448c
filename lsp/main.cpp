// azuvel-lsp: the language server over standard input and output.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "serve.h"
#include "server.h"

static const char usage[] =
    "Usage: azuvel-lsp [--stdio]\n"
    "The Azuvel language server: speaks the Language Server Protocol on standard input and\n"
    "output, for an editor to start. Logs go to standard error.\n";

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
    Server server;
    LiveWorker live;
    if (start_live(live)) server.live = &live;
    Service service;
    service.handle = [&](std::string_view body) { return handle_message(server, body); };
    // Bad framing is logged and skipped: the protocol has no answer for it.
    service.bad_input = [](const std::string& error) {
        std::fprintf(stderr, "azuvel-lsp: %s\n", error.c_str());
        return std::vector<std::string>();
    };
    service.finished = [&] { return server.exited; };
    if (server.live != nullptr) {
        service.wake = live.wake[0];
        service.woken = [&] { return live_finished(server); };
    }
    // Ends at `exit`, or when the client closes our input without one.
    ServeEnd end = serve(STDIN_FILENO, STDOUT_FILENO, service);
    stop_live(live);
    if (end == ServeEnd::write_failed) return 1;
    return exit_status(server);
}
