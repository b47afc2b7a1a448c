// For tests/web/past_web.test.mjs: the playground's one session, as the debugger module holds it,
// with an export that records a script's run to its end.
#include <emscripten/emscripten.h>

#include "debug_web.h"

Session& playground_session() {
    static Session session;
    return session;
}

extern "C" {

// Records a whole run of `text` in the session; returns its last step.
EMSCRIPTEN_KEEPALIVE double past_test_record(const char* text) {
    Session& session = playground_session();
    start_session(session, text);
    Stop stop = Stop::slice;
    while (stop == Stop::slice) stop = advance(session, Motion::run, 0, 1 << 20);
    return static_cast<double>(session.last_step);
}

}  // extern "C"
