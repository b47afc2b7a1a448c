// The server's state and the dispatch of one message at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document.h"
#include "language_features.h"

struct Server {
    bool initialized = false;  // `initialize` answered
    bool shut_down = false;    // `shutdown` answered: only `exit` is left
    bool exited = false;       // `exit` received: stop reading
    Context context;
    DocumentStore documents;
};

// Handles one message body and returns the bodies to send back, in order: a response for a
// request, notifications such as published diagnostics, or an error for a bad message.
std::vector<std::string> handle_message(Server& server, std::string_view body);

// The exit status the process ends with: 0 only after a shutdown request.
inline int exit_status(const Server& server) {
    return server.shut_down ? 0 : 1;
}
