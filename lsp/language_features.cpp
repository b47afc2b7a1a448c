// Diagnostics, navigation, completion and quick fixes over one document.
#include "language_features.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "names.h"

namespace {

// A Position object.
json to_json(Position position) {
    return {{"line", position.line}, {"character", position.character}};
}

// A Range object for the bytes [start, end).
json byte_range(const Document& document, size_t start, size_t end, const Context& context) {
    return {{"start", to_json(to_position(document.text, document.lines, start, context.encoding))},
            {"end", to_json(to_position(document.text, document.lines, end, context.encoding))}};
}

// The Range of one token, placed by the source model.
json token_range(const Document& document, size_t index, const Context& context) {
    return {{"start", to_json(token_position(document, index, false, context.encoding))},
            {"end", to_json(token_position(document, index, true, context.encoding))}};
}

// A checker place: line and byte columns.
json place_range(const Document& document, int32_t line, int32_t column, int32_t end_column,
                 const Context& context) {
    const std::string& text = document.text;
    Position start = to_position(text, document.lines, line, column, context.encoding);
    Position end =
        to_position(text, document.lines, line, std::max(end_column, column), context.encoding);
    return {{"start", to_json(start)}, {"end", to_json(end)}};
}

// The identifier under the cursor, or NO_TOKEN.
size_t name_at(const Document& document, Position position, const Context& context) {
    size_t offset = to_offset(document.text, document.lines, position, context.encoding);
    size_t index = token_at(document.tokens, offset);
    if (index == NO_TOKEN || document.tokens[index].type != TOKEN_IDENTIFIER) return NO_TOKEN;
    return index;
}

// The hover line of a keyword, or null for any other token.
const char* keyword_help(TokenType type) {
    switch (type) {
        case TOKEN_PRINT:
            return "`print(item, ...)` writes its items separated by one space, then a newline.";
        case TOKEN_VAR:
            return "`var name = value;` adds a new entry; a name declared twice keeps its first.";
        case TOKEN_IF:
            return "`if (condition) { ... }` runs the block once when the condition is not 0.";
        case TOKEN_WHILE:
            return "`while (condition) { ... }` runs the block again while the condition is "
                   "not 0.";
        case TOKEN_FUNCTION:
        case TOKEN_RETURN:
            return "A reserved word: the language has no functions.";
        default:
            return nullptr;
    }
}

json text_edit(const Document& document, size_t start, size_t end, std::string replacement,
               const Context& context) {
    return {{"range", byte_range(document, start, end, context)}, {"newText", replacement}};
}

// A quickfix CodeAction that edits one document.
json quick_fix(const std::string& uri, std::string title, const json& diagnostic, json edits) {
    return {{"title", std::move(title)},
            {"kind", "quickfix"},
            {"diagnostics", json::array({diagnostic})},
            {"isPreferred", true},
            {"edit", {{"changes", {{uri, std::move(edits)}}}}}};
}

// The first token at or after a byte offset.
size_t token_from(const Document& document, size_t offset) {
    const auto& tokens = document.tokens;
    auto at = std::lower_bound(tokens.begin(), tokens.end(), offset,
                               [](const SourceToken& t, size_t o) { return t.end <= o; });
    return at == tokens.end() ? tokens.size() - 1 : static_cast<size_t>(at - tokens.begin());
}

// A short title for a fix: what it writes, or removes.
std::string fix_title(std::string_view before, const Edit& edit) {
    auto shown = [](std::string_view text) {
        std::string out(text.substr(0, 60));
        for (char& c : out) {
            if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        }
        return "'" + out + (text.size() > 60 ? "...'" : "'");
    };
    if (edit.replacement.empty()) return "Remove " + shown(before);
    if (before.empty()) return "Insert " + shown(edit.replacement);
    return "Change " + shown(before) + " to " + shown(edit.replacement);
}

// The checker's fixes of the diagnostic the client sends back: the one with the same code on
// the same line, nearest the start the client sends (some clients send byte columns back).
void add_fixes(const std::string& uri, const Document& document, const json& diagnostic,
               const std::vector<Diagnostic>& checked, const Context& context, json& actions) {
    Position start = to_position(diagnostic["range"]["start"]);
    std::string code = diagnostic["code"].get<std::string>();
    const Diagnostic* nearest = nullptr;
    int64_t distance = 0;
    for (const Diagnostic& found : checked) {
        if (found.code != code || found.fixes.empty()) continue;
        Position from =
            to_position(document.text, document.lines, found.line, found.column, context.encoding);
        int64_t away = std::abs(from.character - start.character);
        if (from.line == start.line && (nearest == nullptr || away < distance)) {
            nearest = &found;
            distance = away;
        }
    }
    if (nearest == nullptr) return;
    bool first = true;
    for (const Edit& edit : nearest->fixes) {
        if (edit.end > document.text.size() || edit.start > edit.end) continue;
        std::string_view before =
            std::string_view(document.text).substr(edit.start, edit.end - edit.start);
        json action = quick_fix(
            uri, fix_title(before, edit), diagnostic,
            json::array({text_edit(document, edit.start, edit.end, edit.replacement, context)}));
        action["isPreferred"] = first;
        first = false;
        actions.push_back(std::move(action));
    }
}

// Only spaces and tabs: what may stand around a statement that leaves with its line.
bool blank(std::string_view text) {
    return text.find_first_not_of(" \t\r") == std::string_view::npos;
}

// A `var` inside a loop: declared once before the outermost loop, assigned inside. A literal
// initial value moves with the declaration, since every pass would give the same.
json fix_var_in_loop(const std::string& uri, const Document& document, const json& diagnostic,
                     size_t offset, const Context& context) {
    const auto& tokens = document.tokens;
    const std::string& text = document.text;
    size_t var = token_from(document, offset);
    if (var < tokens.size() && tokens[var].type == TOKEN_IDENTIFIER && var > 0) var--;
    if (var + 1 >= tokens.size() || tokens[var].type != TOKEN_VAR ||
        tokens[var + 1].type != TOKEN_IDENTIFIER)
        return nullptr;
    size_t loop = outermost_loop(document, var);
    size_t semicolon = var + 1;
    while (tokens[semicolon].type != TOKEN_SEMICOLON && tokens[semicolon].type != TOKEN_EOF)
        semicolon++;
    if (loop == NO_TOKEN || tokens[semicolon].type != TOKEN_SEMICOLON) return nullptr;
    std::string name(token_text(text, tokens[var + 1]));
    bool declared_before = declaration_of(document, var + 1) < loop;
    bool literal = semicolon == var + 4 && tokens[var + 2].type == TOKEN_ASSIGN &&
                   (tokens[var + 3].type == TOKEN_NUMBER || tokens[var + 3].type == TOKEN_STRING);
    if (declared_before && literal && tokens[var + 3].type == TOKEN_STRING) return nullptr;

    json edits = json::array();
    size_t loop_start = tokens[loop].start;
    size_t loop_line = text.rfind('\n', loop_start == 0 ? 0 : loop_start - 1);
    loop_line = loop_line == std::string::npos || loop_start == 0 ? 0 : loop_line + 1;
    std::string declaration =
        literal ? text.substr(tokens[var].start, tokens[semicolon].end - tokens[var].start)
                : "var " + name + " = 0;";
    if (!declared_before) {
        std::string_view indent = std::string_view(text).substr(loop_line, loop_start - loop_line);
        if (blank(indent)) {
            edits.push_back(text_edit(document, loop_line, loop_line,
                                      std::string(indent) + declaration + "\n", context));
        } else {
            edits.push_back(
                text_edit(document, loop_start, loop_start, declaration + " ", context));
        }
    }
    if (literal && !declared_before) {
        // The statement leaves; so does its line when nothing else stands on it.
        size_t start = tokens[var].start, end = tokens[semicolon].end;
        size_t line_start = text.rfind('\n', start == 0 ? 0 : start - 1);
        line_start = line_start == std::string::npos || start == 0 ? 0 : line_start + 1;
        size_t line_end = text.find('\n', end);
        line_end = line_end == std::string::npos ? text.size() : line_end;
        std::string_view view(text);
        if (blank(view.substr(line_start, start - line_start)) &&
            blank(view.substr(end, line_end - end)) && line_end < text.size()) {
            start = line_start;
            end = line_end + 1;
        }
        edits.push_back(text_edit(document, start, end, "", context));
    } else {
        edits.push_back(text_edit(document, tokens[var].start, tokens[var + 1].start, "", context));
    }
    return quick_fix(uri, "Declare '" + name + "' before the loop", diagnostic, std::move(edits));
}

}  // namespace

int64_t to_integer(const json& value) {
    if (!value.is_number_float()) return value.get<int64_t>();
    double number = value.get<double>();
    constexpr double limit = 9007199254740992.0;  // 2^53: exact, and far past any document
    if (!(number > -limit)) return static_cast<int64_t>(-limit);  // NaN included
    return static_cast<int64_t>(std::min(number, limit));
}

Position to_position(const json& value) {
    return {to_integer(value.at("line")), to_integer(value.at("character"))};
}

json publish_diagnostics(const std::string& uri, const Document& document, const Context& context) {
    json list = json::array();
    std::vector<Diagnostic> diagnostics = check(document.text, document.model);
    // A huge file of mistakes would otherwise send the editor a message of hundreds of megabytes.
    if (diagnostics.size() > MAX_PUBLISHED) diagnostics.resize(MAX_PUBLISHED);
    for (const Diagnostic& diagnostic : diagnostics) {
        std::string message = diagnostic.message;
        json related = json::array();
        // Notes and help lines are folded into the message as well: some clients (Neovim 0.7)
        // show no relatedInformation.
        for (const Note& note : diagnostic.notes) {
            if (note.help || note.line == 0) {
                message += "\nhelp: " + note.message;
                continue;
            }
            message += "\nnote: line " + std::to_string(note.line) + ": " + note.message;
            related.push_back({{"location",
                                {{"uri", uri},
                                 {"range", place_range(document, note.line, note.column,
                                                       note.end_column, context)}}},
                               {"message", note.message}});
        }
        json entry = {{"range", place_range(document, diagnostic.line, diagnostic.column,
                                            diagnostic.end_column, context)},
                      {"severity", diagnostic.severity == Severity::error ? 1 : 2},
                      {"code", diagnostic.code},
                      {"source", "azuvel"},
                      {"message", message}};
        if (!related.empty()) entry["relatedInformation"] = std::move(related);
        list.push_back(std::move(entry));
    }
    json params = {{"uri", uri}, {"diagnostics", std::move(list)}};
    params["version"] = document.version;
    return params;
}

json hover(const Document& document, Position position, const Context& context) {
    size_t offset = to_offset(document.text, document.lines, position, context.encoding);
    size_t index = token_at(document.tokens, offset);
    if (index == NO_TOKEN) return nullptr;
    const SourceToken& token = document.tokens[index];
    std::string value;
    if (const char* help = keyword_help(token.type)) {
        value = help;
    } else if (token.type == TOKEN_IDENTIFIER) {
        std::string_view name = token_text(document.text, token);
        std::vector<Variable> variables = list_variables(document);
        size_t first = declaration_of(document, index);
        auto found = std::find_if(variables.begin(), variables.end(),
                                  [&](const Variable& v) { return v.first == first; });
        if (found == variables.end()) {
            value = "`" + std::string(name) + "`: no `var` declares it.";
        } else {
            int32_t line = document.tokens[found->first].line;
            value = "`" + found->name + "`: first declared on line " + std::to_string(line) +
                    ", as a " + (found->string_at_first ? "string" : "number") + "; " +
                    std::to_string(found->declarations) +
                    (found->declarations == 1 ? " `var` declares it." : " `var`s declare it.");
        }
    } else {
        return nullptr;
    }
    return {{"contents", {{"kind", "markdown"}, {"value", value}}},
            {"range", token_range(document, index, context)}};
}

json definition(const std::string& uri, const Document& document, Position position,
                const Context& context) {
    size_t index = name_at(document, position, context);
    if (index == NO_TOKEN) return nullptr;
    size_t first = declaration_of(document, index);
    if (first == NO_TOKEN) return nullptr;
    return {{"uri", uri}, {"range", token_range(document, first, context)}};
}

json references(const std::string& uri, const Document& document, Position position,
                bool include_declaration, const Context& context) {
    size_t index = name_at(document, position, context);
    if (index == NO_TOKEN) return nullptr;
    std::string_view name = token_text(document.text, document.tokens[index]);
    size_t first = declaration_of(document, index);
    json list = json::array();
    for (size_t use : find_uses(document, name)) {
        if (use == first && !include_declaration) continue;
        list.push_back({{"uri", uri}, {"range", token_range(document, use, context)}});
    }
    return list;
}

json document_highlight(const Document& document, Position position, const Context& context) {
    size_t index = name_at(document, position, context);
    if (index == NO_TOKEN) return nullptr;
    json list = json::array();
    for (size_t use : find_uses(document, token_text(document.text, document.tokens[index]))) {
        // 3 is a write, 2 a read.
        list.push_back({{"range", token_range(document, use, context)},
                        {"kind", is_write(document, use) ? 3 : 2}});
    }
    return list;
}

json document_symbols(const Document& document, const Context& context) {
    json list = json::array();
    for (const Variable& variable : list_variables(document)) {
        const SourceToken& last = document.tokens[variable.statement_end - 1];
        list.push_back({{"name", variable.name},
                        {"detail", variable.string_at_first ? "string" : "number"},
                        {"kind", 13},  // Variable
                        {"range", byte_range(document, document.tokens[variable.first - 1].start,
                                             last.end, context)},
                        {"selectionRange", token_range(document, variable.first, context)}});
    }
    return list;
}

json completion(const Document& document, Position position, const Context& context) {
    size_t offset = to_offset(document.text, document.lines, position, context.encoding);
    size_t index = token_at(document.tokens, offset);
    // Inside a string literal nothing completes.
    if (index != NO_TOKEN && document.tokens[index].type == TOKEN_STRING &&
        offset > document.tokens[index].start && offset < document.tokens[index].end)
        return json::array();
    json items = json::array();
    struct Snippet {
        const char *label, *body;
    };
    static const Snippet snippets[] = {
        {"print", "print(${1:items});"},
        {"var", "var ${1:name} = ${2:0};"},
        {"if", "if (${1:condition}) {\n\t$0\n}"},
        {"while", "while (${1:condition}) {\n\t$0\n}"},
    };
    for (const Snippet& snippet : snippets) {
        items.push_back({{"label", snippet.label}, {"kind", 14}});  // Keyword
        if (context.snippets) {
            items.push_back({{"label", std::string(snippet.label) + " …"},
                             {"filterText", snippet.label},
                             {"kind", 15},  // Snippet
                             {"insertTextFormat", 2},
                             {"insertText", snippet.body}});
        }
    }
    for (const Variable& variable : list_variables(document)) {
        items.push_back({{"label", variable.name},
                         {"kind", 6},  // Variable
                         {"detail", variable.string_at_first ? "string" : "number"}});
    }
    return items;
}

json code_actions(const std::string& uri, const Document& document, const json& diagnostics,
                  const Context& context) {
    json actions = json::array();
    if (!diagnostics.is_array() || diagnostics.empty()) return actions;
    std::vector<Diagnostic> checked = check(document.text, document.model);
    for (const json& diagnostic : diagnostics) {
        if (!diagnostic.is_object() || !diagnostic.contains("range") ||
            !diagnostic["range"].contains("start") || !diagnostic.contains("code") ||
            !diagnostic["code"].is_string())
            continue;
        if (diagnostic["code"] == "var-in-loop") {
            Position position = to_position(diagnostic["range"]["start"]);
            size_t offset = to_offset(document.text, document.lines, position, context.encoding);
            json action = fix_var_in_loop(uri, document, diagnostic, offset, context);
            if (!action.is_null()) actions.push_back(std::move(action));
            continue;
        }
        add_fixes(uri, document, diagnostic, checked, context, actions);
    }
    return actions;
}
