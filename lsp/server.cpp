// JSON-RPC: requests get exactly one response, notifications none; a bad message gets the
// error the protocol names for it and never stops the server.
#include "server.h"

#include "formatting.h"
#include "json_text.h"
#include "live_hints.h"

namespace {

// JSON-RPC and protocol error codes.
constexpr int PARSE_ERROR = -32700;
constexpr int INVALID_REQUEST = -32600;
constexpr int METHOD_NOT_FOUND = -32601;
constexpr int INVALID_PARAMS = -32602;
constexpr int SERVER_NOT_INITIALIZED = -32002;
constexpr int REQUEST_FAILED = -32803;
constexpr int CONTENT_MODIFIED = -32801;
constexpr int MESSAGE_TYPE_INFO = 3;  // window/showMessage: an information

// A response that carries a result (null included).
std::string response(const json& id, json result) {
    return json_text({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

// A response that carries an error.
std::string error_response(const json& id, int code, std::string message) {
    return json_text({{"jsonrpc", "2.0"},
                      {"id", id},
                      {"error", {{"code", code}, {"message", std::move(message)}}}});
}

// A notification from the server.
std::string notification(std::string method, json params) {
    return json_text({{"jsonrpc", "2.0"}, {"method", std::move(method)}, {"params", params}});
}

// The client's choice of position encoding: UTF-8 when it offers it, else the default.
void negotiate(Server& server, const json& params) {
    const json capabilities = params.value("capabilities", json::object());
    json encodings = json::array();
    if (capabilities.contains("general") && capabilities["general"].is_object())
        encodings = capabilities["general"].value("positionEncodings", json::array());
    server.context.encoding = Encoding::utf16;
    for (const json& encoding : encodings) {
        if (encoding == "utf-8") server.context.encoding = Encoding::utf8;
    }
    json completion_item = json::object();
    if (capabilities.contains("textDocument") && capabilities["textDocument"].is_object()) {
        const json& text_document = capabilities["textDocument"];
        if (text_document.contains("completion") && text_document["completion"].is_object())
            completion_item = text_document["completion"].value("completionItem", json::object());
    }
    server.context.snippets =
        completion_item.is_object() && completion_item.value("snippetSupport", false) == true;
    json workspace = capabilities.value("workspace", json::object());
    json inlay_hint =
        workspace.is_object() ? workspace.value("inlayHint", json::object()) : json::object();
    server.refresh_hints =
        inlay_hint.is_object() && inlay_hint.value("refreshSupport", false) == true;
    json options = params.value("initializationOptions", json::object());
    if (!options.is_object()) return;
    if (options.contains("liveValues") && options["liveValues"].is_boolean())
        server.live_values = options["liveValues"].get<bool>();
    // Bounds of each run, for a slow machine or a test; others are left as they are.
    if (options.contains("liveMaxSteps") && options["liveMaxSteps"].is_number_integer())
        server.live_limits.max_steps = std::max<int64_t>(1, options["liveMaxSteps"].get<int64_t>());
    if (options.contains("liveMaxMilliseconds") &&
        options["liveMaxMilliseconds"].is_number_integer()) {
        server.live_limits.max_milliseconds =
            std::max<int64_t>(1, options["liveMaxMilliseconds"].get<int64_t>());
    }
}

// What the server can do, for the client to know which requests to send.
json initialize_result(const Server& server) {
    return {{"capabilities",
             {{"positionEncoding", server.context.encoding == Encoding::utf8 ? "utf-8" : "utf-16"},
              {"textDocumentSync",
               {{"openClose", true}, {"change", 1}, {"save", {{"includeText", true}}}}},
              {"hoverProvider", true},
              {"definitionProvider", true},
              {"referencesProvider", true},
              {"documentHighlightProvider", true},
              {"documentSymbolProvider", true},
              {"completionProvider", json::object()},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
              {"documentFormattingProvider", true},
              {"documentRangeFormattingProvider", true},
              {"inlayHintProvider", true}}},
            {"serverInfo", {{"name", "azuvel-lsp"}, {"version", AZUVEL_VERSION}}}};
}

// The document a request or notification is about.
std::string uri_of(const json& params) {
    return params.at("textDocument").at("uri").get<std::string>();
}

// The cursor of a request.
Position position_of(const json& params) {
    return to_position(params.at("position"));
}

// A change with a range replaces that part; one without replaces the whole text.
void apply_change(Document& document, const json& change, Encoding encoding) {
    std::string text = change.at("text").get<std::string>();
    if (!change.contains("range")) {
        set_text(document, std::move(text));
        return;
    }
    const json& range = change["range"];
    auto offset = [&](const json& at) {
        return to_offset(document.text, document.lines, to_position(at), encoding);
    };
    size_t start = offset(range.at("start"));
    size_t end = std::max(start, offset(range.at("end")));
    std::string updated = document.text;
    updated.replace(start, end - start, text);
    set_text(document, std::move(updated));
}

// Whether live runs go on: a thread for them, and the client has not turned them off.
bool live_on(const Server& server) {
    return server.live != nullptr && server.live_values;
}

// A document's text changed or it closed: its last run is no longer its text's, and hints
// requests still waiting for a run are answered ContentModified, as the protocol says.
void forget_runs(Server& server, const std::string& uri, std::vector<std::string>& out) {
    server.live_runs.erase(uri);
    std::vector<WaitingHints> kept;
    for (WaitingHints& waiting : server.waiting_hints) {
        if (waiting.uri == uri) {
            out.push_back(error_response(waiting.id, CONTENT_MODIFIED, "the document changed"));
        } else {
            kept.push_back(std::move(waiting));
        }
    }
    server.waiting_hints = std::move(kept);
    if (server.live != nullptr && !server.documents.count(uri)) {
        forget_live(*server.live, uri);
        server.published.erase(uri);
    }
}

// textDocument/inlayHint: the notes of the live run of the document's current text, at once
// when it has finished, else when it does (or ContentModified if the text changes first).
void inlay_hint_response(Server& server, const json& id, const json& params,
                         std::vector<std::string>& out) {
    // A run may have ended since the loop last looked: take it first, or it would seem neither
    // finished nor pending.
    for (std::string& message : live_finished(server)) out.push_back(std::move(message));
    std::string uri = uri_of(params);
    auto found = server.documents.find(uri);
    if (found == server.documents.end()) {
        out.push_back(response(id, nullptr));
        return;
    }
    const Document& document = found->second;
    json range = params.contains("range") ? params["range"] : json();
    auto run = server.live_runs.find(uri);
    if (!live_on(server)) run = server.live_runs.end();
    if (run != server.live_runs.end() && run->second.version == document.revision) {
        const json* in = range.is_object() ? &range : nullptr;
        out.push_back(response(id, live_hints(document, run->second.run, in, server.context)));
    } else if (live_on(server) && live_pending(*server.live, uri, document.revision)) {
        server.waiting_hints.push_back(WaitingHints{id, uri, document.revision, range});
    } else {
        out.push_back(response(id, json::array()));
    }
}

// workspace/didChangeConfiguration: {"azuvel": {"liveValues": false}} turns live runs off.
void configure(Server& server, const json& params, std::vector<std::string>& out) {
    json settings = params.value("settings", json::object());
    if (!settings.is_object() || !settings.contains("azuvel")) return;
    const json& azuvel = settings["azuvel"];
    if (!azuvel.is_object() || !azuvel.contains("liveValues")) return;
    if (!azuvel["liveValues"].is_boolean()) return;
    bool on = azuvel["liveValues"].get<bool>();
    if (on == server.live_values) return;
    server.live_values = on;
    for (auto& [uri, document] : server.documents) {
        forget_runs(server, uri, out);
        if (server.live != nullptr && !on) forget_live(*server.live, uri);
        if (live_on(server))
            submit_live(*server.live,
                        LiveJob{uri, document.revision, document.text, server.live_limits});
    }
    if (server.refresh_hints) {
        out.push_back(json_text({{"jsonrpc", "2.0"},
                                 {"id", "azuvel-live-" + std::to_string(++server.refreshes)},
                                 {"method", "workspace/inlayHint/refresh"}}));
    }
}

// Document notifications; returns what to publish.
void handle_document(Server& server, const std::string& method, const json& params,
                     std::vector<std::string>& out) {
    std::string uri = uri_of(params);
    if (method == "textDocument/didClose") {
        server.documents.erase(uri);
        forget_runs(server, uri, out);
        out.push_back(notification("textDocument/publishDiagnostics",
                                   {{"uri", uri}, {"diagnostics", json::array()}}));
        return;
    }
    if (method == "textDocument/didOpen") {
        // Built whole before it is stored: a bad field must not leave a document without tokens.
        Document document;
        document.version = to_integer(params["textDocument"].value("version", json(0)));
        set_text(document, params["textDocument"].at("text").get<std::string>());
        server.documents[uri] = std::move(document);
    } else {
        auto found = server.documents.find(uri);
        if (found == server.documents.end()) return;  // never opened: nothing to check
        Document& document = found->second;
        if (method == "textDocument/didChange") {
            document.version =
                to_integer(params["textDocument"].value("version", json(document.version)));
            for (const json& change : params.at("contentChanges"))
                apply_change(document, change, server.context.encoding);
        } else if (params.contains("text") && params["text"].is_string()) {
            set_text(document, params["text"].get<std::string>());
        }
    }
    Document& document = server.documents[uri];
    document.revision = ++server.revisions;
    json published = publish_diagnostics(uri, document, server.context);
    out.push_back(notification("textDocument/publishDiagnostics", published));
    // The checker's diagnostics go out first: a live run never delays them.
    forget_runs(server, uri, out);
    server.published[uri] = std::move(published);
    if (live_on(server))
        submit_live(*server.live,
                    LiveJob{uri, document.revision, document.text, server.live_limits});
}

// The result of a request about an open document.
json handle_feature(Server& server, const std::string& method, const json& params) {
    std::string uri = uri_of(params);
    auto found = server.documents.find(uri);
    if (found == server.documents.end()) return nullptr;
    const Document& document = found->second;
    const Context& context = server.context;
    if (method == "textDocument/hover") return hover(document, position_of(params), context);
    if (method == "textDocument/definition")
        return definition(uri, document, position_of(params), context);
    if (method == "textDocument/references") {
        bool declaration = params.contains("context") && params["context"].is_object() &&
                           params["context"].value("includeDeclaration", true);
        return references(uri, document, position_of(params), declaration, context);
    }
    if (method == "textDocument/documentHighlight")
        return document_highlight(document, position_of(params), context);
    if (method == "textDocument/documentSymbol") return document_symbols(document, context);
    if (method == "textDocument/completion")
        return completion(document, position_of(params), context);
    json diagnostics = params.contains("context") && params["context"].is_object()
                           ? params["context"].value("diagnostics", json::array())
                           : json::array();
    return code_actions(uri, document, diagnostics, context);
}

// Formatting and range formatting: the edits, or an error the editor shows when the script is
// left as it is; after the edits, a window/showMessage naming the lines left as written.
void formatting_response(Server& server, const json& id, const std::string& method,
                         const json& params, std::vector<std::string>& out) {
    auto found = server.documents.find(uri_of(params));
    if (found == server.documents.end()) {
        out.push_back(response(id, nullptr));
        return;
    }
    const json* range = method == "textDocument/rangeFormatting" ? &params.at("range") : nullptr;
    std::string problem, note;
    json edits = formatting_edits(found->second, range, server.context, problem, note);
    if (!problem.empty()) {
        out.push_back(error_response(id, REQUEST_FAILED, problem));
        return;
    }
    out.push_back(response(id, std::move(edits)));
    if (!note.empty()) {
        out.push_back(
            notification("window/showMessage", {{"type", MESSAGE_TYPE_INFO}, {"message", note}}));
    }
}

// Requests about one open document, answered by handle_feature.
bool is_feature(const std::string& method) {
    static const char* const methods[] = {
        "textDocument/hover",          "textDocument/definition",
        "textDocument/references",     "textDocument/documentHighlight",
        "textDocument/documentSymbol", "textDocument/completion",
        "textDocument/codeAction",     nullptr};
    for (int i = 0; methods[i] != nullptr; i++) {
        if (method == methods[i]) return true;
    }
    return false;
}

// Notifications that open, change, save or close a document.
bool is_document_notification(const std::string& method) {
    return method == "textDocument/didOpen" || method == "textDocument/didChange" ||
           method == "textDocument/didClose" || method == "textDocument/didSave";
}

// One parsed message. Throws nlohmann's exceptions for params of the wrong shape; the caller
// turns them into an invalid-params error.
void dispatch(Server& server, const json& message, std::vector<std::string>& out) {
    std::string method = message["method"].get<std::string>();
    bool request = message.contains("id");
    json id = request ? message["id"] : json();
    json params = message.value("params", json::object());

    if (method == "exit") {
        server.exited = true;
        return;
    }
    if (!server.initialized) {
        if (method == "initialize" && request) {
            negotiate(server, params.is_object() ? params : json::object());
            server.initialized = true;
            out.push_back(response(id, initialize_result(server)));
        } else if (request) {
            out.push_back(error_response(id, SERVER_NOT_INITIALIZED, "not initialized"));
        }
        return;
    }
    if (server.shut_down) {
        if (request) out.push_back(error_response(id, INVALID_REQUEST, "shut down"));
        return;
    }
    if (!request) {
        // Unknown notifications, `initialized` and `$/` ones among them, are ignored.
        if (is_document_notification(method)) handle_document(server, method, params, out);
        if (method == "workspace/didChangeConfiguration") configure(server, params, out);
        return;
    }
    if (method == "shutdown") {
        server.shut_down = true;
        out.push_back(response(id, nullptr));
    } else if (method == "initialize") {
        out.push_back(error_response(id, INVALID_REQUEST, "already initialized"));
    } else if (method == "textDocument/formatting" || method == "textDocument/rangeFormatting") {
        formatting_response(server, id, method, params, out);
    } else if (method == "textDocument/inlayHint") {
        inlay_hint_response(server, id, params, out);
    } else if (is_feature(method)) {
        out.push_back(response(id, handle_feature(server, method, params)));
    } else {
        out.push_back(error_response(id, METHOD_NOT_FOUND, "unknown method: " + method));
    }
}

}  // namespace

std::vector<std::string> handle_message(Server& server, std::string_view body) {
    std::vector<std::string> out;
    json message = json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        out.push_back(error_response(nullptr, PARSE_ERROR, "invalid JSON"));
        return out;
    }
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        // A response from the client to a request we never send is not an error either.
        bool reply = message.is_object() && message.contains("id") &&
                     (message.contains("result") || message.contains("error"));
        if (!reply) {
            json id = message.is_object() && message.contains("id") ? message["id"] : json();
            out.push_back(error_response(id, INVALID_REQUEST, "not a request or notification"));
        }
        return out;
    }
    try {
        dispatch(server, message, out);
    } catch (const json::exception& error) {
        if (message.contains("id")) {
            out.clear();
            out.push_back(error_response(message["id"], INVALID_PARAMS, error.what()));
        }
    }
    return out;
}

std::vector<std::string> live_finished(Server& server) {
    std::vector<std::string> out;
    if (server.live == nullptr) return out;
    bool refresh = false;
    for (LiveResult& result : take_live(*server.live)) {
        auto found = server.documents.find(result.uri);
        // A run of a text the document no longer holds (a newer run is on its way), or one that
        // ended as live runs were turned off.
        if (found == server.documents.end() || found->second.revision != result.version ||
            !server.live_values) {
            continue;
        }
        const Document& document = found->second;
        std::string uri = result.uri;
        const LiveRun& run = (server.live_runs[uri] = std::move(result)).run;
        std::vector<WaitingHints> kept;
        for (WaitingHints& waiting : server.waiting_hints) {
            if (waiting.uri != uri) {
                kept.push_back(std::move(waiting));
                continue;
            }
            const json* in = waiting.range.is_object() ? &waiting.range : nullptr;
            out.push_back(response(waiting.id, live_hints(document, run, in, server.context)));
        }
        server.waiting_hints = std::move(kept);
        // The run's error joins the checker's diagnostics, unless the checker found an error:
        // a script that does not pass the checker is shown its own mistakes.
        json stop = live_diagnostic(document, run, server.context);
        json published = server.published[uri];
        bool checker_error = false;
        for (const json& diagnostic : published.value("diagnostics", json::array()))
            checker_error = checker_error || diagnostic.value("severity", 0) == 1;
        if (!stop.is_null() && !checker_error && published.is_object()) {
            published["diagnostics"].push_back(std::move(stop));
            out.push_back(notification("textDocument/publishDiagnostics", published));
        }
        refresh = true;
    }
    if (refresh && server.refresh_hints) {
        out.push_back(json_text({{"jsonrpc", "2.0"},
                                 {"id", "azuvel-live-" + std::to_string(++server.refreshes)},
                                 {"method", "workspace/inlayHint/refresh"}}));
    }
    return out;
}
