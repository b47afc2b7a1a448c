// Formatting requests. The formatter gives one edit per stretch between two tokens that
// changes, so an editor keeps its marks and cursor on the tokens, and a range takes the
// stretches it touches.
#include "formatting.h"

#include "format.h"
#include "keep.h"

namespace {

// A Position object for a byte offset.
json position_json(const Document& document, size_t offset, const Context& context) {
    Position position = to_position(document.text, document.lines, offset, context.encoding);
    return {{"line", position.line}, {"character", position.character}};
}

}  // namespace

json formatting_edits(const Document& document, const json* range, const Context& context,
                      std::string& problem, std::string& note) {
    FormatResult result = format_checked(document.text, true);
    if (!result.ok) {
        problem = "azuvel-fmt: " +
                  (result.line > 0
                       ? std::to_string(result.line) + ":" + std::to_string(result.column) + ": "
                       : std::string()) +
                  result.message + "; left unchanged";
        return nullptr;
    }
    for (const KeptLines& lines : result.kept) {
        if (!note.empty()) note += '\n';
        note += "azuvel-fmt: " + kept_note(lines);
    }
    std::vector<FormatEdit> edits = std::move(result.edits);
    if (range != nullptr) {
        auto offset = [&](const json& at) {
            return to_offset(document.text, document.lines, to_position(at), context.encoding);
        };
        edits =
            range_edits(document.text, edits, offset(range->at("start")), offset(range->at("end")));
    }
    json out = json::array();
    for (const FormatEdit& edit : edits) {
        out.push_back({{"range",
                        {{"start", position_json(document, edit.start, context)},
                         {"end", position_json(document, edit.end, context)}}},
                       {"newText", edit.text}});
    }
    return out;
}
