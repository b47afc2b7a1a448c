// The server's state and the dispatch of one message at a time.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "document.h"
#include "language_features.h"
#include "live_worker.h"

// A textDocument/inlayHint request waiting for the live run of the text it asked about.
struct WaitingHints {
    json id;
    std::string uri;
    int64_t revision;
    json range;
};

struct Server {
    bool initialized = false;  // `initialize` answered
    bool shut_down = false;    // `shutdown` answered: only `exit` is left
    bool exited = false;       // `exit` received: stop reading
    Context context;
    DocumentStore documents;
    int64_t revisions = 0;  // texts seen: each document's text is numbered by the server

    // Live runs: the thread that runs them (main.cpp starts it; null: none), whether the client
    // wants them (initializationOptions or settings "liveValues") and takes a refresh request.
    LiveWorker* live = nullptr;
    bool live_values = true;
    bool refresh_hints = false;
    LiveLimits live_limits;  // initializationOptions "liveMaxSteps", "liveMaxMilliseconds"
    int64_t refreshes = 0;
    std::map<std::string, LiveResult> live_runs;  // each document's run of its current text
    std::map<std::string, json> published;        // each document's checker diagnostics
    std::vector<WaitingHints> waiting_hints;
};

// Handles one message body and returns the bodies to send back, in order: a response for a
// request, notifications such as published diagnostics, or an error for a bad message.
std::vector<std::string> handle_message(Server& server, std::string_view body);

// What to send when live runs have finished: the inlay hints requests waiting for them, their
// errors as diagnostics, and a request to refresh the hints.
std::vector<std::string> live_finished(Server& server);

// The exit status the process ends with: 0 only after a shutdown request.
inline int exit_status(const Server& server) {
    return server.shut_down ? 0 : 1;
}
