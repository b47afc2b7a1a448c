// The serve loop both protocol servers run: read bytes, cut them into messages, hand each to
// the server, write what it answers, and let a server with work in hand (a debug run) go on
// in slices between messages, looking at input without waiting for it; or wake up when a
// thread of the server's own has something to send.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What a server gives the loop: handle, bad_input and finished always, busy and work when it
// has work of its own. Each call returns the message bodies to send, in order.
struct Service {
    // One message body from the client.
    std::function<std::vector<std::string>(std::string_view body)> handle;
    // Bytes that were not a message, with the reader's word for what was wrong.
    std::function<std::vector<std::string>(const std::string& error)> bad_input;
    // Whether work goes on between messages; empty for a server that never has any.
    std::function<bool()> busy;
    // One slice of that work.
    std::function<std::vector<std::string>()> work;
    // Whether the session is over: the loop stops at once, even with messages still unread.
    std::function<bool()> finished;
    // A descriptor that becomes readable when work done on another thread is ready (the
    // language server's live runs), or -1; the loop drains it and sends what `woken` returns.
    int wake = -1;
    std::function<std::vector<std::string>()> woken;
};

enum class ServeEnd {
    finished,      // the server said it is done
    end_of_input,  // the client closed its side
    write_failed,  // the client went away: an answer could not be written
};

// Serves the messages read from `input`, writing the answers framed to `output`, until one of
// the ends above.
ServeEnd serve(int input, int output, const Service& service);
