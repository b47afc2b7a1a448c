// libFuzzer target for a protocol server's message reader and the server behind it, built
// twice: with AZUVEL_FUZZ_LSP over the language server (fuzz_lsp_reader), with AZUVEL_FUZZ_DAP
// over the debug adapter (fuzz_dap_reader).
//
// The first byte sets the size of the pieces the rest arrives in. Up to the first protocol
// error, the reader must cut the same messages from the pieces as from the whole input. Every
// message then goes to the server, whose every answer must be valid JSON:
// - the language server is initialized first;
// - the debug adapter must answer each request, and each message that is not a JSON object,
//   exactly once; a run it starts goes on for a few short slices after each message. Its seeds
//   launch the script this harness writes at start-up, so sessions get past the launch.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "framing.h"
#if defined(AZUVEL_FUZZ_LSP)
#include "server.h"
#elif defined(AZUVEL_FUZZ_DAP)
#include "adapter.h"
#else
#error "build with AZUVEL_FUZZ_LSP or AZUVEL_FUZZ_DAP"
#endif

namespace {

using json = nlohmann::json;

// The results up to and including the first error.
std::vector<ReadResult> read_in_pieces(std::string_view input, size_t piece) {
    MessageReader reader;
    std::vector<ReadResult> results;
    for (size_t at = 0; at < input.size(); at += piece) {
        feed(reader, input.substr(at, piece));
        for (;;) {
            ReadResult result = next_message(reader);
            if (result.status == ReadStatus::need_more) break;
            results.push_back(result);
            if (result.status == ReadStatus::error) return results;
        }
    }
    return results;
}

// An answer parsed back; one that is not JSON is a finding.
json parse_or_abort(const std::string& text) {
    json message = json::parse(text, nullptr, false);
    if (message.is_discarded()) abort();
    return message;
}

#if defined(AZUVEL_FUZZ_LSP)

// Every message to an initialized server, until `exit`.
void serve_messages(const std::vector<ReadResult>& results) {
    Server server;
    handle_message(server, R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})");
    for (const ReadResult& result : results) {
        if (result.status != ReadStatus::message) continue;
        for (const std::string& answer : handle_message(server, result.body)) {
            parse_or_abort(answer);
        }
        if (server.exited) break;
    }
}

#else

// Every message to the adapter, with a few slices of a run after each, until disconnect.
void serve_messages(const std::vector<ReadResult>& results) {
    Adapter adapter;
    adapter.slice_steps = 64;
    for (const ReadResult& result : results) {
        if (result.status != ReadStatus::message) continue;
        json request = json::parse(result.body, nullptr, false);
        // A request, or what cannot be one, is answered; the client's own answers are not.
        bool is_request = !request.is_object() || request.value("type", json()) == "request";
        int responses = 0;
        for (const std::string& answer : handle_message(adapter, result.body)) {
            json message = parse_or_abort(answer);
            if (message["type"] == "response") responses++;
        }
        if (responses != (is_request ? 1 : 0)) abort();
        for (int slice = 0; slice < 4 && adapter.running; slice++) {
            for (const std::string& event : run_slice(adapter)) parse_or_abort(event);
        }
        if (adapter.disconnected) break;
    }
    end_session(adapter.session);
}

#endif

}  // namespace

#if defined(AZUVEL_FUZZ_DAP)
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FILE* script = std::fopen("/tmp/azuvel-dap-fuzz.az", "w");
    if (script == nullptr) abort();
    std::fputs(
        "var x = 1;\nvar s = \"hi\";\nwhile (x < 5) {\n    if (x == 2) {\n"
        "        print(\"two\", s);\n    }\n    x = x + 1;\n}\nvar x = 0;\n"
        "print(1 / x);\n",
        script);
    std::fclose(script);
    return 0;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t piece = data[0] % 16 + 1;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<ReadResult> whole = read_in_pieces(input, input.size() + 1);
    std::vector<ReadResult> pieces = read_in_pieces(input, piece);
    for (size_t i = 0; i < whole.size() && i < pieces.size(); i++) {
        if (whole[i].status != pieces[i].status || whole[i].body != pieces[i].body) abort();
        if (whole[i].status == ReadStatus::error) break;
    }
    serve_messages(whole);
    return 0;
}
