// Live notes as inlay hints and a diagnostic; see live_hints.h.
#include "live_hints.h"

namespace {

constexpr int SEVERITY_ERROR = 1;

// A place of the run (1-based line, byte column) as a protocol position.
Position place(const Document& document, int32_t line, int32_t column, const Context& context) {
    return to_position(document.text, document.lines, line, column, context.encoding);
}

json position_json(Position position) {
    return {{"line", position.line}, {"character", position.character}};
}

// Whether a position lies in a protocol range, its end included.
bool within(Position position, const json& range) {
    Position start = to_position(range.at("start"));
    Position end = to_position(range.at("end"));
    auto before = [](Position a, Position b) {
        return a.line < b.line || (a.line == b.line && a.character < b.character);
    };
    return !before(position, start) && !before(end, position);
}

}  // namespace

json live_hints(const Document& document, const LiveRun& run, const json* range,
                const Context& context) {
    json hints = json::array();
    for (const LiveNote& note : run.notes) {
        Position at = place(document, note.end_line, note.end_column, context);
        if (range != nullptr && !within(at, *range)) continue;
        std::string tooltip = note.step > 0 ? "step " + std::to_string(note.step) + " of this run"
                                            : "this run never reaches it";
        hints.push_back({{"position", position_json(at)},
                         {"label", note.text},
                         {"paddingLeft", true},
                         {"tooltip", tooltip}});
    }
    return hints;
}

json live_diagnostic(const Document& document, const LiveRun& run, const Context& context) {
    if (run.stop_kind != "error") return nullptr;
    for (const LiveNote& note : run.notes) {
        if (note.line != run.stop_line || note.column != run.stop_column) continue;
        json range = {
            {"start", position_json(place(document, note.line, note.column, context))},
            {"end", position_json(place(document, note.end_line, note.end_column, context))}};
        return {{"range", range},
                {"severity", SEVERITY_ERROR},
                {"code", "live-run-stops"},
                {"source", "azuvel-live"},
                {"message", "this run stops here: " + run.message}};
    }
    return nullptr;
}
