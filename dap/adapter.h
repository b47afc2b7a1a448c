// The Debug Adapter Protocol over the engine: each message in, the messages it answers with.
// The adapter never blocks: a run that goes on (continue, next, ...) advances in slices, and
// the program reads messages between slices, so a pause reaches an endless loop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine.h"

// Steps a slice may run before messages are read again.
inline constexpr int64_t SLICE_STEPS = 1 << 18;

struct Adapter {
    int64_t next_seq = 1;
    bool launched = false;
    bool configured = false;
    bool stop_on_entry = false;
    bool running = false;       // a motion goes on: call run_slice
    bool terminated = false;    // the run is over or was ended
    bool disconnected = false;  // the client is done: the program ends
    bool error_reported = false;
    std::string program;       // as the client gave it
    std::string program_path;  // canonical, to match breakpoints' sources
    Session session;
    int64_t slice_steps = SLICE_STEPS;
    Motion motion = Motion::run;
    int64_t origin_depth = 0;
    const char* step_reason = "step";
    size_t output_sent = 0;  // bytes of the script's output already sent as events
    int64_t next_breakpoint_id = 1;
    std::vector<int64_t> breakpoint_ids;       // parallel to session.breakpoints
    std::vector<int64_t> data_breakpoint_ids;  // parallel to session.watches
};

// The responses and events one message from the client brings, as JSON texts.
std::vector<std::string> handle_message(Adapter& adapter, std::string_view body);
// Runs the current motion for one slice; the events it brings.
std::vector<std::string> run_slice(Adapter& adapter);
// The error response to input that is not a message (with request_seq 0: it has none).
std::string framing_error(Adapter& adapter, const std::string& error);
// Reads a script file whole (a regular file only, which never blocks); false with the problem
// ("Cannot open file: ...") otherwise.
bool read_program(const std::string& path, std::string& text, std::string& problem);
