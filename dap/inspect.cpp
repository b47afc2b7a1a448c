// What the debugger shows of a run's state; see inspect.h.
#include "inspect.h"

#include <cstring>

#include "embed.h"
#include "interpreter.h"
#include "output.h"
#include "scan.h"

namespace {

// The store entry an expression names when it is one name alone, or null.
const Variable* lone_name(const std::string& expression) {
    Scan name = scan_token(expression.c_str(), 0, 1);
    if (name.status != SCAN_TOKEN || name.type != TOKEN_IDENTIFIER) return nullptr;
    if (scan_token(expression.c_str(), name.end, 1).status != SCAN_END) return nullptr;
    std::string text = expression.substr(name.start, name.end - name.start);
    int32_t entry = first_entry(vars, var_count, text.c_str());
    return entry < 0 ? nullptr : &vars[entry];
}

}  // namespace

// A store entry's value as print writes it.
std::string format_value(const Variable& entry) {
    if (entry.is_string) return entry.string;
    char text[32];
    return std::string(text, format_number(entry.number, text));
}

// A number so that it reads back the same.
static std::string exact_number(double number) {
    char text[32];
    return std::string(text, format_exact(number, text));
}

Evaluation compute(const std::string& expression) {
    double value = 0.0;
    int32_t end_type = TOKEN_EOF;
    RunStop stop;
    if (!compute_embedded(expression.c_str(), &value, &end_type, stop)) {
        return Evaluation{false, stop.message, "", 0.0, stop.message};
    }
    if (end_type != TOKEN_EOF) {
        const char* message = "Unexpected token after the expression";
        return Evaluation{false, message, "", 0.0, message};
    }
    const Variable* named = lone_name(expression);
    if (named != nullptr && named->is_string)
        return Evaluation{true, named->string, "string", value, named->string};
    char text[32];
    return Evaluation{true, std::string(text, format_number(value, text)), "number", value,
                      exact_number(value)};
}

std::string log_text(const std::string& message) {
    std::string out;
    for (size_t at = 0; at < message.size();) {
        size_t open = message.find('{', at);
        size_t close = open == std::string::npos ? open : message.find('}', open);
        if (close == std::string::npos) {
            out += message.substr(at);
            break;
        }
        out += message.substr(at, open - at);
        Evaluation value = compute(message.substr(open + 1, close - open - 1));
        out += value.ok ? value.value : "<" + value.value + ">";
        at = close + 1;
    }
    return out;
}

std::vector<Shown> show_store(const std::vector<Variable>& store) {
    std::vector<Shown> shown;
    for (size_t i = 0; i < store.size(); i++) {
        bool unread = first_entry(store.data(), static_cast<int32_t>(i), store[i].name) >= 0;
        const Variable& entry = store[i];
        shown.push_back(Shown{entry.name, format_value(entry),
                              entry.is_string ? "string" : "number", unread,
                              entry.is_string ? entry.string : exact_number(entry.number)});
    }
    return shown;
}
