// JSON-RPC: requests get exactly one response, notifications none; a bad message gets the
// error the protocol names for it and never stops the server.
#include "server.h"

#include "formatting.h"
#include "json_text.h"

namespace {

// JSON-RPC and protocol error codes.
constexpr int PARSE_ERROR = -32700;
constexpr int INVALID_REQUEST = -32600;
constexpr int METHOD_NOT_FOUND = -32601;
constexpr int INVALID_PARAMS = -32602;
constexpr int SERVER_NOT_INITIALIZED = -32002;
constexpr int REQUEST_FAILED = -32803;
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
              {"documentRangeFormattingProvider", true}}},
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

// Document notifications; returns what to publish.
void handle_document(Server& server, const std::string& method, const json& params,
                     std::vector<std::string>& out) {
    std::string uri = uri_of(params);
    if (method == "textDocument/didClose") {
        server.documents.erase(uri);
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
    const Document& document = server.documents[uri];
    out.push_back(notification("textDocument/publishDiagnostics",
                               publish_diagnostics(uri, document, server.context)));
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
        out.push_back(notification("window/showMessage",
                                   {{"type", MESSAGE_TYPE_INFO}, {"message", note}}));
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
        return;
    }
    if (method == "shutdown") {
        server.shut_down = true;
        out.push_back(response(id, nullptr));
    } else if (method == "initialize") {
        out.push_back(error_response(id, INVALID_REQUEST, "already initialized"));
    } else if (method == "textDocument/formatting" || method == "textDocument/rangeFormatting") {
        formatting_response(server, id, method, params, out);
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
