// libFuzzer target for the language server's message reader and the server behind it.
//
// The first byte sets the size of the pieces the rest arrives in. Up to the first protocol
// error, the reader must cut the same messages from the pieces as from the whole input; every
// message then goes to an initialized server, whose every answer must be valid JSON.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framing.h"
#include "server.h"

namespace {

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

}  // namespace

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

    Server server;
    handle_message(server, R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})");
    for (const ReadResult& result : whole) {
        if (result.status != ReadStatus::message) continue;
        for (const std::string& answer : handle_message(server, result.body)) {
            if (json::parse(answer, nullptr, false).is_discarded()) abort();
        }
        if (server.exited) break;
    }
    return 0;
}
