// The serve loop over two file descriptors; see serve.h.
#include "serve.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "framing.h"

namespace {

// Writes everything or reports failure: a client that went away ends the session.
bool write_all(int output, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(output, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Each body with its header, one write apiece.
bool send_all(int output, const std::vector<std::string>& bodies) {
    for (const std::string& body : bodies) {
        if (!write_all(output, frame_message(body))) return false;
    }
    return true;
}

}  // namespace

ServeEnd serve(int input, int output, const Service& service) {
    // A closed pipe shows as a failed write, not as a signal that kills the server.
    std::signal(SIGPIPE, SIG_IGN);
    auto busy = [&] { return service.busy && service.busy(); };
    MessageReader reader;
    static char chunk[1 << 16];
    for (;;) {
        // While work goes on, input is only looked at between slices.
        pollfd watched[2] = {{input, POLLIN, 0}, {service.wake, POLLIN, 0}};
        int ready = poll(watched, service.wake >= 0 ? 2 : 1, busy() ? 0 : -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready > 0 && watched[1].revents != 0) {
            // The bytes only nudge: what is ready is what `woken` finds.
            static char drained[256];
            ssize_t nudges = read(service.wake, drained, sizeof drained);
            (void)nudges;
            if (!send_all(output, service.woken())) return ServeEnd::write_failed;
            if (service.finished()) return ServeEnd::finished;
        }
        if (ready > 0 && watched[0].revents != 0) {
            ssize_t n = read(input, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return ServeEnd::end_of_input;
            feed(reader, std::string_view(chunk, static_cast<size_t>(n)));
            for (;;) {
                ReadResult result = next_message(reader);
                if (result.status == ReadStatus::need_more) break;
                bool sent = result.status == ReadStatus::error
                                ? send_all(output, service.bad_input(result.error))
                                : send_all(output, service.handle(result.body));
                if (!sent) return ServeEnd::write_failed;
                if (service.finished()) return ServeEnd::finished;
            }
        }
        if (busy() && !send_all(output, service.work())) return ServeEnd::write_failed;
        if (service.finished()) return ServeEnd::finished;
    }
}
