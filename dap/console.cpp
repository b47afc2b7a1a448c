// The debug console's questions about the past and the checker's word on an expression; see
// console.h.
#include "console.h"

#include <charconv>
#include <set>

#include "check.h"
#include "past.h"

namespace {

// Where a step stands, as the console says it: "step 12, line 4: total = total + i;".
std::string place(const Session& session, PastStep at) {
    return "step " + std::to_string(at.step) + ", line " +
           std::to_string(line_of(session, at.token)) + ": " + statement_text(session, at.token);
}

// The words of a command, split at spaces; the last takes the rest of the line when `rest_from`
// is reached.
std::vector<std::string> words(const std::string& text, size_t rest_from) {
    std::vector<std::string> found;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') at++;
        if (at == text.size()) break;
        if (found.size() == rest_from) {
            found.push_back(text.substr(at));
            break;
        }
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        found.push_back(text.substr(at, end - at));
        at = end;
    }
    return found;
}

// A whole number from a command's word; false when it is not one.
bool whole_number(const std::string& word, int64_t& value) {
    auto [end, problem] = std::from_chars(word.data(), word.data() + word.size(), value);
    return problem == std::errc() && end == word.data() + word.size();
}

const char help_text[] =
    "Questions about the run's past:\n"
    "  :printed LINE        the step that printed output line LINE (from 1)\n"
    "  :last NAME           where NAME was last written before this step\n"
    "  :next NAME           where NAME is next written after this step\n"
    "  :history NAME        NAME's values over the run, with their steps\n"
    "  :log LINE MESSAGE    a log point at LINE over the whole run ({expression} in MESSAGE)\n"
    "  :go STEP             go to a step";

// One line of a history.
std::string history_line(const Session& session, const Written& write) {
    return "  " + place(session, write.at) + " -> " + shown_value(write.value, write.printed);
}

}  // namespace

bool is_console_command(const std::string& expression) {
    size_t at = expression.find_first_not_of(' ');
    return at != std::string::npos && expression[at] == ':';
}

ConsoleAnswer console_command(Session& session, const std::string& command) {
    std::string text = command.substr(command.find(':') + 1);
    std::vector<std::string> parts = words(text, 2);
    std::string verb = parts.empty() ? "help" : parts[0];
    int64_t number = 0;
    bool numbered = parts.size() >= 2 && whole_number(parts[1], number);
    if (verb == "help") return {true, help_text};
    if (verb == "printed" && numbered) {
        PastStep at = printed_line(session, number);
        if (at.step == 0) return {false, "no output line " + parts[1] + " so far"};
        return {true, "output line " + parts[1] + " was printed at " + place(session, at)};
    }
    if ((verb == "last" || verb == "next") && parts.size() == 2) {
        const std::string& name = parts[1];
        if (!declared_name(session, name)) return {false, "no var declares " + name};
        Writes writes = writes_around(session, name, session.current.step);
        PastStep at = verb == "last" ? writes.last : writes.next;
        if (at.step == 0) {
            return {true, name + (verb == "last" ? " was not written before this step"
                                                 : " is not written after this step (so far)")};
        }
        return {true, name + (verb == "last" ? " was last written at " : " is next written at ") +
                          place(session, at)};
    }
    if (verb == "history" && parts.size() == 2) {
        const std::string& name = parts[1];
        if (!declared_name(session, name)) return {false, "no var declares " + name};
        History history = history_of(session, name, 5);
        std::string answer = name + " was written " + std::to_string(history.count) + " times";
        std::set<int64_t> shown;
        for (const Written& write : history.first) {
            answer += '\n';
            answer += history_line(session, write);
            shown.insert(write.at.step);
        }
        if (history.count > static_cast<int64_t>(history.first.size() + history.last.size())) {
            answer += "\n  ...";
        }
        for (const Written& write : history.last) {
            if (shown.count(write.at.step) != 0) continue;
            answer += '\n';
            answer += history_line(session, write);
        }
        return {true, answer};
    }
    if (verb == "log" && numbered && parts.size() == 3) {
        LogRun run = log_over_run(session, static_cast<int32_t>(number), parts[2], 100);
        if (run.token < 0) return {false, "no statement on line " + parts[1] + " or after it"};
        std::string answer = "line " + std::to_string(line_of(session, run.token)) + " ran " +
                             std::to_string(run.count) + " times";
        for (const Logged& line : run.lines) {
            answer += "\n  step " + std::to_string(line.step) + ": " + line.text;
        }
        if (run.count > static_cast<int64_t>(run.lines.size())) answer += "\n  ...";
        return {true, answer};
    }
    if (verb == "go" && numbered) {
        if (!go_to_step(session, number)) return {false, "no step " + parts[1] + " so far"};
        return {true, "at " + place(session, PastStep{number, session.current.token}), number};
    }
    return {false, "not a question the console knows (:help lists them): " + command};
}

std::string explain_expression(const Session& session, const std::string& expression) {
    // The store's names are declared on a line of their own, so that names are known as at this
    // step and the expression's line holds nothing else.
    std::string script;
    std::set<std::string> names;
    for (const Variable& entry : session.current.store) {
        if (names.insert(entry.name).second) script += "var " + std::string(entry.name) + " = 0; ";
    }
    const std::string prefix = "var evaluated = ";
    script += "\n" + prefix + expression + ";\n";
    for (const Diagnostic& found : check(script)) {
        if (found.severity != Severity::error || found.line != 2) continue;
        int32_t column = std::max(1, found.column - static_cast<int32_t>(prefix.size()));
        std::string answer = found.message + " (column " + std::to_string(column) + ")";
        for (const Note& note : found.notes) {
            if (note.help) answer += "\nhelp: " + note.message;
        }
        return answer;
    }
    return "";
}

std::string shown_value(const std::string& exact, const std::string& printed) {
    return exact == printed ? exact : exact + " (print: " + printed + ")";
}
