// The Debug Adapter Protocol's requests, responses and events over the engine.
#include "adapter.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "console.h"
#include "json_text.h"
#include "kept_output.h"
#include "messages.h"
#include "past.h"
#include "script_file.h"

using json = nlohmann::json;

namespace {

constexpr int THREAD_ID = 1;
constexpr int STORE_REFERENCE = 1;

// An event, with the adapter's next sequence number.
std::string event(Adapter& adapter, const char* name, json body) {
    json message = {{"seq", adapter.next_seq++}, {"type", "event"}, {"event", name}};
    if (!body.is_null()) message["body"] = std::move(body);
    return json_text(message);
}

// The fields every response to this request has.
json response(Adapter& adapter, const json& request, bool success) {
    json message = {{"seq", adapter.next_seq++},
                    {"type", "response"},
                    {"request_seq", request.value("seq", json(0))},
                    {"success", success},
                    {"command", request.value("command", json(""))}};
    return message;
}

// An error response, whose message the editor shows.
std::string failure(Adapter& adapter, const json& request, const std::string& text) {
    json message = response(adapter, request, false);
    message["message"] = text;
    message["body"] = {{"error", {{"id", 1}, {"format", text}, {"showUser", false}}}};
    return json_text(message);
}

// A successful response, with its body when it has one.
std::string success(Adapter& adapter, const json& request, json body = nullptr) {
    json message = response(adapter, request, true);
    if (!body.is_null()) message["body"] = std::move(body);
    return json_text(message);
}

// What initialize answers: what the adapter supports, and nothing it does not.
json capabilities() {
    return {{"supportsConfigurationDoneRequest", true},
            {"supportsConditionalBreakpoints", true},
            {"supportsHitConditionalBreakpoints", true},
            {"supportsLogPoints", true},
            {"supportsEvaluateForHovers", true},
            {"supportsStepBack", true},
            {"supportsTerminateRequest", true},
            {"supportsSetVariable", false},
            {"supportsDataBreakpoints", true},
            {"supportsRestartRequest", false},
            {"supportsStepInTargetsRequest", false},
            {"supportsExceptionInfoRequest", false},
            {"exceptionBreakpointFilters", json::array()}};
}

// A run message with its name filled in: "Cannot open file: x.az".
std::string with_subject(std::string message, const std::string& subject) {
    return message.replace(message.find("%s"), 2, subject);
}

// The script's file, read whole as azuvel reads it; the problem in azuvel's words, and why.
bool read_program_file(const std::string& path, std::string& text, std::string& problem) {
    ScriptText script = read_script_file(path.c_str(), false);
    if (take_script_text(script, text)) return true;
    if (script.problem == SCRIPT_TOO_LARGE) {
        problem = with_subject(MESSAGE_FILE_TOO_LARGE, path);
        return false;
    }
    const char* why = script.error_number == ENOENT   ? "no such file"
                      : script.error_number == EISDIR ? "a directory"
                                                      : "not a regular file that can be read";
    problem = with_subject(MESSAGE_CANNOT_OPEN_FILE, path) + " (" + why + ")";
    return false;
}

// A path made absolute with its links resolved, to compare a breakpoint's file with the
// program.
std::string canonical(const std::string& path) {
    std::error_code failed;
    std::filesystem::path result = std::filesystem::weakly_canonical(path, failed);
    return failed ? path : result.string();
}

// The program as a protocol source.
json program_source(const Adapter& adapter) {
    std::string file = std::filesystem::path(adapter.program).filename().string();
    return {{"name", file}, {"path", adapter.program}};
}

// Whether the run stands at a stop that can be looked at and moved from.
bool stopped(const Adapter& adapter) {
    const Session& session = adapter.session;
    return adapter.launched && adapter.configured && !adapter.running && !adapter.terminated &&
           session.current.step >= 1;
}

// The script's output since the last event, an event for each step that printed, with the
// print's place; and log points' lines where they came.
void send_output(Adapter& adapter, std::vector<std::string>& out) {
    Session& session = adapter.session;
    const std::vector<PrintNote>& prints = session.prints;
    size_t next_print = 0;
    auto send_up_to = [&](size_t length) {
        length = std::min(length, output_size(session));
        while (adapter.output_sent < length) {
            while (next_print < prints.size() && prints[next_print].offset <= adapter.output_sent) {
                next_print++;
            }
            size_t end =
                next_print < prints.size() ? std::min(length, prints[next_print].offset) : length;
            json body = {{"category", "stdout"},
                         {"output", output_between(session, adapter.output_sent, end)}};
            if (next_print > 0) {
                body["source"] = program_source(adapter);
                body["line"] = line_of(session, prints[next_print - 1].token);
                body["column"] = column_of(session, prints[next_print - 1].token);
            }
            out.push_back(event(adapter, "output", std::move(body)));
            adapter.output_sent = end;
        }
    };
    for (const LogLine& line : session.log_lines) {
        send_up_to(line.output_length);
        out.push_back(
            event(adapter, "output", {{"category", "console"}, {"output", line.text + "\n"}}));
    }
    session.log_lines.clear();
    send_up_to(output_size(session));
    session.prints.clear();
}

// The stopped event, for the one thread.
void send_stopped(Adapter& adapter, std::vector<std::string>& out, const char* reason,
                  json extra = json::object()) {
    json body = {{"reason", reason}, {"threadId", THREAD_ID}, {"allThreadsStopped", true}};
    body.update(extra);
    out.push_back(event(adapter, "stopped", body));
}

// The run is over: its exit status, then the end of the session.
void finish(Adapter& adapter, std::vector<std::string>& out, int status) {
    adapter.running = false;
    if (adapter.terminated) return;
    adapter.terminated = true;
    out.push_back(event(adapter, "exited", {{"exitCode", status}}));
    out.push_back(event(adapter, "terminated", nullptr));
}

// The data breakpoints the statement at the current step writes, for its stopped event.
json data_hits(const Adapter& adapter) {
    const Session& session = adapter.session;
    json ids = json::array();
    std::string names;
    for (size_t i = 0; i < session.watches.size(); i++) {
        if (writes_of(session, session.watches[i])[session.current.token]) {
            ids.push_back(adapter.data_breakpoint_ids[i]);
            if (!names.empty()) names += ", ";
            names += session.watches[i];
        }
    }
    return {{"hitBreakpointIds", ids}, {"description", names + " written here"}};
}

// Tells the client how a motion or a slice ended.
void report(Adapter& adapter, Stop stop, std::vector<std::string>& out) {
    Session& session = adapter.session;
    send_output(adapter, out);
    switch (stop) {
        case Stop::slice:
            return;
        case Stop::step:
            adapter.running = false;
            return send_stopped(adapter, out, adapter.step_reason);
        case Stop::breakpoint: {
            adapter.running = false;
            json ids = json::array();
            for (size_t i = 0; i < session.breakpoints.size(); i++) {
                if (session.breakpoints[i].token == session.current.token) {
                    ids.push_back(adapter.breakpoint_ids[i]);
                }
            }
            return send_stopped(adapter, out, "breakpoint", {{"hitBreakpointIds", ids}});
        }
        case Stop::data_breakpoint:
            adapter.running = false;
            return send_stopped(adapter, out, "data breakpoint", data_hits(adapter));
        case Stop::error: {
            std::string line = "[Error] " + session.error_message;
            if (!adapter.error_reported) {
                json body = {{"category", "stderr"}, {"output", line + "\n"}};
                if (session.error_line > 0) {
                    body["source"] = program_source(adapter);
                    body["line"] = session.error_line;
                    body["column"] = session.error_column;
                }
                out.push_back(event(adapter, "output", std::move(body)));
                adapter.error_reported = true;
            }
            adapter.running = false;
            return send_stopped(adapter, out, "exception",
                                {{"description", "Error"}, {"text", line}});
        }
        case Stop::end:
            return finish(adapter, out, 0);
    }
}

// Starts a motion from the current stop; run_slice carries it on.
void start_motion(Adapter& adapter, Motion motion, const char* reason) {
    adapter.motion = motion;
    adapter.origin_depth = depth_of(adapter.session, adapter.session.current.token);
    adapter.step_reason = reason;
    adapter.running = true;
}

// Once launched and configured, the run begins.
void start_run(Adapter& adapter, std::vector<std::string>& out) {
    if (!adapter.launched || !adapter.configured || adapter.running || adapter.terminated) return;
    if (adapter.session.current.step != 0) return;
    if (adapter.session.ended) {  // a lexical error: the run stops before its first statement
        adapter.running = true;
        return report(adapter, Stop::error, out);
    }
    start_motion(adapter, adapter.stop_on_entry ? Motion::step_in : Motion::run, "entry");
}

// One stack frame: a statement of the program, where it stands.
json frame(const Adapter& adapter, int id, int32_t token, const std::string& name) {
    const Session& session = adapter.session;
    std::string file = std::filesystem::path(adapter.program).filename().string();
    return {{"id", id},
            {"name", name.empty() ? "(" + file + ")" : name},
            {"source", program_source(adapter)},
            {"line", line_of(session, token)},
            {"column", column_of(session, token)}};
}

// The current statement, then each if and while around it, innermost first.
std::string stack_trace(Adapter& adapter, const json& request) {
    const Session& session = adapter.session;
    int32_t token = session.current.token;
    json frames = json::array();
    std::string top = session.token_count == 0 ? "" : statement_text(session, token);
    frames.push_back(frame(adapter, 0, token, top));
    int id = 1;
    for (int32_t head : enclosing_heads(session, token)) {
        frames.push_back(frame(adapter, id++, head, statement_text(session, head)));
    }
    json arguments = request.value("arguments", json::object());
    size_t start = arguments.is_object() ? arguments.value("startFrame", size_t{0}) : 0;
    size_t levels = arguments.is_object() ? arguments.value("levels", size_t{0}) : 0;
    json shown = json::array();
    for (size_t i = start; i < frames.size() && (levels == 0 || i < start + levels); i++) {
        shown.push_back(frames[i]);
    }
    return success(adapter, request, {{"stackFrames", shown}, {"totalFrames", frames.size()}});
}

// The store's entries, in order.
std::string variables(Adapter& adapter, const json& request) {
    json list = json::array();
    if (request["arguments"].value("variablesReference", 0) == STORE_REFERENCE) {
        for (const Shown& entry : show_store(adapter.session.current.store)) {
            json variable = {{"name", entry.name},
                             {"value", shown_value(entry.exact, entry.value)},
                             {"type", entry.kind},
                             {"variablesReference", 0}};
            if (entry.unread) {
                variable["name"] = entry.name + " (declared again: never read)";
                variable["presentationHint"] = {{"attributes", {"readOnly"}}};
            } else {
                variable["evaluateName"] = entry.name;
            }
            list.push_back(variable);
        }
    }
    return success(adapter, request, {{"variables", list}});
}

// Replaces the program's breakpoints; each answer says where it stands or why it cannot.
std::string set_breakpoints(Adapter& adapter, const json& request) {
    const json& arguments = request["arguments"];
    json source = arguments.value("source", json::object());
    std::string path = source.is_object() ? source.value("path", std::string()) : std::string();
    json asked = arguments.value("breakpoints", json::array());
    if (!asked.is_array()) asked = json::array();
    if (asked.empty() && arguments.contains("lines") && arguments["lines"].is_array()) {
        for (const json& line : arguments["lines"]) asked.push_back({{"line", line}});
    }
    Session& session = adapter.session;
    bool ours = adapter.launched && canonical(path) == adapter.program_path;
    if (ours) {
        session.breakpoints.clear();
        adapter.breakpoint_ids.clear();
    }
    json answered = json::array();
    for (const json& wanted : asked) {
        json result = {{"id", adapter.next_breakpoint_id++}, {"verified", false}};
        int64_t line = wanted.is_object() ? wanted.value("line", int64_t{0}) : 0;
        std::string hit = wanted.is_object() ? wanted.value("hitCondition", std::string()) : "";
        if (!adapter.launched) {
            result["message"] = "the program is not launched yet";
        } else if (!ours) {
            result["message"] = "not the launched program (" + adapter.program + ")";
        } else if (!hit.empty() && check_hit_condition(hit, 0) < 0) {
            result["message"] = "a hit condition is a count, alone or after ==, >, >=, <, <= or %";
        } else {
            int32_t token = statement_at_line(
                session, static_cast<int32_t>(std::clamp<int64_t>(line, 0, INT32_MAX)));
            if (token < 0) {
                result["message"] = "no statement on line " + std::to_string(line) + " or after it";
            } else {
                int32_t at = line_of(session, token);
                result["verified"] = true;
                result["source"] = {{"path", path}};
                result["line"] = at;
                result["column"] = column_of(session, token);
                if (at != line) {
                    result["message"] = "line " + std::to_string(line) +
                                        " has no statement: moved to line " + std::to_string(at);
                }
                session.breakpoints.push_back(
                    Breakpoint{token, wanted.value("condition", std::string()), hit,
                               wanted.value("logMessage", std::string()), 0});
                adapter.breakpoint_ids.push_back(result["id"]);
            }
        }
        answered.push_back(result);
    }
    return success(adapter, request, {{"breakpoints", answered}});
}

// Reads the program and starts a session; the run begins at configurationDone.
std::string launch(Adapter& adapter, const json& request, std::vector<std::string>& out) {
    if (adapter.launched) return failure(adapter, request, "the program is already launched");
    json arguments = request.value("arguments", json::object());
    if (!arguments.is_object() || !arguments.contains("program") ||
        !arguments["program"].is_string()) {
        return failure(adapter, request, "launch needs \"program\": the path of a script");
    }
    std::string path = arguments["program"];
    std::string text, problem;
    if (!read_program_file(path, text, problem)) return failure(adapter, request, problem);
    adapter.program = path;
    adapter.program_path = canonical(path);
    adapter.stop_on_entry = arguments.value("stopOnEntry", false) == true;
    start_session(adapter.session, std::move(text));
    adapter.session.note_prints = true;
    adapter.launched = true;
    std::string answer = success(adapter, request);
    out.push_back(answer);
    out.push_back(event(adapter, "initialized", nullptr));
    start_run(adapter, out);
    return "";
}

// An expression in the current state, or a console question about the past.
std::string evaluate(Adapter& adapter, const json& request, std::vector<std::string>& out) {
    if (!stopped(adapter)) {
        return failure(adapter, request, "the program is not stopped at a statement");
    }
    std::string expression = request["arguments"].value("expression", std::string());
    if (is_console_command(expression)) {
        ConsoleAnswer answer = console_command(adapter.session, expression);
        if (!answer.ok) return failure(adapter, request, answer.text);
        out.push_back(
            success(adapter, request, {{"result", answer.text}, {"variablesReference", 0}}));
        if (answer.go_to > 0) send_stopped(adapter, out, "goto");
        return "";
    }
    Evaluation result = evaluate_text(adapter.session, expression);
    if (!result.ok) {
        std::string why = explain_expression(adapter.session, expression);
        return failure(adapter, request, why.empty() ? result.value : why);
    }
    return success(adapter, request,
                   {{"result", shown_value(result.exact, result.value)},
                    {"type", result.kind},
                    {"variablesReference", 0}});
}

// Whether a variable can be watched for writes: a name a var declares.
std::string data_breakpoint_info(Adapter& adapter, const json& request) {
    std::string name = request["arguments"].value("name", std::string());
    name = name.substr(0, name.find(' '));  // "x (declared again: never read)" watches x
    if (!adapter.launched || !declared_name(adapter.session, name)) {
        return success(adapter, request,
                       {{"dataId", nullptr},
                        {"description", "only a name a var declares can be watched: " + name}});
    }
    return success(adapter, request,
                   {{"dataId", name},
                    {"description", "writes of " + name + " (a var of it, or an assignment)"},
                    {"accessTypes", {"write"}},
                    {"canPersist", true}});
}

// Replaces the data breakpoints: the names whose writes stop the run, either way.
std::string set_data_breakpoints(Adapter& adapter, const json& request) {
    json asked = request["arguments"].value("breakpoints", json::array());
    Session& session = adapter.session;
    session.watches.clear();
    adapter.data_breakpoint_ids.clear();
    json answered = json::array();
    for (const json& wanted : asked.is_array() ? asked : json::array()) {
        json id = wanted.is_object() ? wanted.value("dataId", json()) : json();
        json result = {{"id", adapter.next_breakpoint_id++}, {"verified", false}};
        if (!id.is_string() || !declared_name(session, id.get<std::string>())) {
            result["message"] = "only a name a var declares can be watched";
        } else if (wanted.value("accessType", std::string("write")) != "write") {
            result["message"] = "only writes can be watched";
        } else {
            result["verified"] = true;
            session.watches.push_back(id.get<std::string>());
            adapter.data_breakpoint_ids.push_back(result["id"]);
        }
        answered.push_back(result);
    }
    return success(adapter, request, {{"breakpoints", answered}});
}

// Requests that move the run, once it is stopped.
std::string move(Adapter& adapter, const json& request, const std::string& command,
                 std::vector<std::string>& out) {
    if (!stopped(adapter)) return failure(adapter, request, "the program is not stopped");
    Session& session = adapter.session;
    json body = command == "continue" ? json{{"allThreadsContinued", true}} : json(nullptr);
    out.push_back(success(adapter, request, body));
    if (command == "stepBack" || command == "reverseContinue") {
        // Going back past the first statement, or finding no breakpoint, ends at the start.
        if (command == "stepBack") {
            send_stopped(adapter, out, step_back(session) ? "step" : "entry");
            return "";
        }
        Stop stop = reverse_run(session);
        if (stop == Stop::data_breakpoint) {
            send_stopped(adapter, out, "data breakpoint", data_hits(adapter));
        } else {
            send_stopped(adapter, out, stop == Stop::breakpoint ? "breakpoint" : "entry");
        }
        return "";
    }
    if (session.ended && session.current.step == session.last_step) {
        finish(adapter, out, 1);  // on from the error: the run is over
        return "";
    }
    Motion motion = command == "continue" ? Motion::run
                    : command == "next"   ? Motion::step_over
                    : command == "stepIn" ? Motion::step_in
                                          : Motion::step_out;
    start_motion(adapter, motion, "step");
    return "";
}

// One request: its response first, then the events it brings.
std::vector<std::string> dispatch(Adapter& adapter, const json& request) {
    std::vector<std::string> out;
    std::string command = request.value("command", std::string());
    if (!request.contains("arguments") || !request["arguments"].is_object()) {
        json copy = request;
        copy["arguments"] = json::object();
        return dispatch(adapter, copy);
    }
    std::string answer;
    if (command == "initialize") {
        answer = success(adapter, request, capabilities());
    } else if (command == "launch") {
        answer = launch(adapter, request, out);
    } else if (command == "attach") {
        answer = failure(adapter, request, "azuvel-dap cannot attach: launch a program instead");
    } else if (command == "setBreakpoints") {
        answer = set_breakpoints(adapter, request);
    } else if (command == "setExceptionBreakpoints") {
        answer = success(adapter, request, {{"breakpoints", json::array()}});
    } else if (command == "configurationDone") {
        adapter.configured = true;
        out.push_back(success(adapter, request));
        start_run(adapter, out);
    } else if (command == "threads") {
        answer = success(adapter, request, {{"threads", {{{"id", THREAD_ID}, {"name", "main"}}}}});
    } else if (command == "stackTrace") {
        answer = stopped(adapter) ? stack_trace(adapter, request)
                                  : failure(adapter, request, "the program is not stopped");
    } else if (command == "scopes") {
        answer = stopped(adapter)
                     ? success(adapter, request,
                               {{"scopes",
                                 {{{"name", "Store"},
                                   {"presentationHint", "locals"},
                                   {"variablesReference", STORE_REFERENCE},
                                   {"namedVariables", adapter.session.current.store.size()},
                                   {"expensive", false}}}}})
                     : failure(adapter, request, "the program is not stopped");
    } else if (command == "variables") {
        answer = stopped(adapter) ? variables(adapter, request)
                                  : failure(adapter, request, "the program is not stopped");
    } else if (command == "continue" || command == "next" || command == "stepIn" ||
               command == "stepOut" || command == "stepBack" || command == "reverseContinue") {
        answer = move(adapter, request, command, out);
    } else if (command == "pause") {
        out.push_back(success(adapter, request));
        if (adapter.running) {
            adapter.running = false;
            send_output(adapter, out);
            send_stopped(adapter, out, "pause");
        }
    } else if (command == "evaluate") {
        answer = evaluate(adapter, request, out);
    } else if (command == "dataBreakpointInfo") {
        answer = data_breakpoint_info(adapter, request);
    } else if (command == "setDataBreakpoints") {
        answer = set_data_breakpoints(adapter, request);
    } else if (command == "terminate") {
        out.push_back(success(adapter, request));
        adapter.running = false;
        if (!adapter.terminated) {
            adapter.terminated = true;
            out.push_back(event(adapter, "terminated", nullptr));
        }
    } else if (command == "disconnect") {
        adapter.running = false;
        adapter.disconnected = true;
        answer = success(adapter, request);
    } else {
        answer = failure(adapter, request, "unknown command: " + command);
    }
    if (!answer.empty()) out.insert(out.begin(), answer);
    return out;
}

}  // namespace

std::vector<std::string> handle_message(Adapter& adapter, std::string_view body) {
    json request = json::parse(body, nullptr, false);
    if (request.is_discarded() || !request.is_object()) {
        return {failure(adapter, json::object(), "malformed message: not a JSON object")};
    }
    if (request.value("type", json("")) != "request") return {};
    if (!request.contains("command") || !request["command"].is_string()) {
        return {failure(adapter, request, "a request needs a \"command\"")};
    }
    try {
        return dispatch(adapter, request);
    } catch (const json::exception& problem) {
        return {failure(adapter, request, std::string("bad arguments: ") + problem.what())};
    }
}

std::vector<std::string> run_slice(Adapter& adapter) {
    std::vector<std::string> out;
    if (!adapter.running) return out;
    Stop stop = advance(adapter.session, adapter.motion, adapter.origin_depth, adapter.slice_steps);
    report(adapter, stop, out);
    return out;
}

std::string framing_error(Adapter& adapter, const std::string& error) {
    return failure(adapter, json::object(), "malformed message: " + error);
}

bool read_program(const std::string& path, std::string& text, std::string& problem) {
    return read_program_file(path, text, problem);
}
