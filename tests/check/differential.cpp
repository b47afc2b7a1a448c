// The checker against the interpreter, both ways: whenever a run stops with a lexical or syntax
// error, check() reports that message on the line the run stopped at; whenever check() reports
// no error, the run does not stop with one; and no run that ends well has an error that check()
// says stops every run (a use before any declaration, a name declared only in dead blocks).
// And the source model the tools read scripts through against the interpreter's lexer: the same
// tokens (kinds and values), the same lexical stop with the same message after the same tokens,
// and the same brace pairs as the run's table.
//
//   check_differential ROOT [CORPUS_DIR [COUNT [SEED]]]   COUNT generated scripts, 4000 by default
//
// Scripts: ROOT's golden scripts, examples and fuzz regressions, every file of CORPUS_DIR, and
// generated near-valid scripts with injected faults (fixed seed). Each runs in-process
// (src/embed.h).
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "check.h"
#include "embed.h"
#include "facts.h"
#include "source_model.h"

namespace {

// Whether the message is the message of a code of that stage; a "%s" or "%c" in the table's
// message matches whatever ends the message.
bool of_stage(const std::string& message, Stage stage) {
    for (const CodeInfo& code : code_table) {
        if (code.stage != stage) continue;
        std::string_view known = code.message;
        size_t field = known.find('%');
        if (field != std::string_view::npos ? message.compare(0, field, known, 0, field) == 0
                                            : message == known) {
            return true;
        }
    }
    return false;
}

// Messages that depend on values, not on the text (or on the machine): check() need not
// foresee them.
bool depends_on_values(const std::string& message) {
    return !of_stage(message, Stage::lexical) && !of_stage(message, Stage::syntax);
}

struct Outcome {
    bool stopped;
    std::string message;
    int32_t token;  // the cursor when it stopped
    bool missing;   // a token is missing before the cursor's
    int32_t line;   // where the run places its stop
    int32_t token_count;
};

Outcome run_script(const std::string& text) {
    RunStop run = run_embedded(text, [](void*, const char*, size_t) {});
    return Outcome{run.stopped, run.message, run.token, run.missing, run.line, run.token_count};
}

struct Counts {
    int scripts = 0, stopped = 0, matched = 0, missed = 0, false_clean = 0;
    int certain = 0, false_certain = 0;  // runs to the end with an error said to stop every run
    int model_differs = 0;               // the source model sees other tokens than the run
};

// What the interpreter's own lexer makes of a text: the tokens, the message it stops with, and
// the brace table a run starts with. The one place this test reads the interpreter's globals.
struct RunLexing {
    bool stopped = false;
    std::string message;
    std::vector<TokenType> types;
    std::vector<std::string> values;
    std::vector<int32_t> block_end;
};

RunLexing lex_as_run(const std::string& text) {
    std::string script = text.substr(0, text.find('\0'));
    RunLexing lexing;
    RunStop stop;
    lexing.stopped = !load_embedded(script.c_str(), stop);
    lexing.message = stop.message;
    for (int32_t i = 0; i < token_count; i++) {
        lexing.types.push_back(tokens[i].type);
        lexing.values.emplace_back(tokens[i].value);
        if (!lexing.stopped) lexing.block_end.push_back(block_end[i]);
    }
    release_embedded();
    return lexing;
}

// The first difference between the model and the run's lexer, or an empty string.
std::string model_difference(const std::string& text) {
    SourceModel model = model_source(text);
    RunLexing run = lex_as_run(text);
    std::string script = text.substr(0, text.find('\0'));
    const LexingStop& stop = model.run_stop;
    if (stop.stops != run.stopped || stop.message != run.message) {
        return "stop: model '" + stop.message + "', run '" + run.message + "'";
    }
    size_t count = stop.stops ? static_cast<size_t>(stop.token) : model.tokens.size();
    if (count != run.types.size()) {
        return "token count: model " + std::to_string(count) + ", run " +
               std::to_string(run.types.size());
    }
    for (size_t i = 0; i < count; i++) {
        const SourceToken& token = model.tokens[i];
        std::string_view value = token_text(script, token);
        if (token.type == TOKEN_STRING) value = value.substr(1, value.size() - 2);
        if (token.type != run.types[i] || value != run.values[i]) {
            return "token " + std::to_string(i) + ": model '" + std::string(value) + "', run '" +
                   run.values[i] + "'";
        }
        if (!stop.stops && token.type == TOKEN_LBRACE && model.block_pair[i] != run.block_end[i]) {
            return "block of token " + std::to_string(i) + ": model " +
                   std::to_string(model.block_pair[i]) + ", run " +
                   std::to_string(run.block_end[i]);
        }
    }
    return "";
}

// The codes of errors that stop every run that reaches their place.
bool is_certain(const Diagnostic& diagnostic) {
    return diagnostic.code == info(Code::use_before_declaration_error).name ||
           diagnostic.code == info(Code::declared_in_dead_block).name;
}

void show(const char* what, const std::string& name, const std::string& text, const Outcome& run,
          const std::vector<Diagnostic>& diagnostics) {
    std::fprintf(stderr, "%s: %s\n  run: %s (token %d)\n", what, name.c_str(), run.message.c_str(),
                 run.token);
    for (const Diagnostic& diagnostic : diagnostics) {
        std::fprintf(stderr, "  check: %d:%d %s\n", diagnostic.line, diagnostic.column,
                     diagnostic.message.c_str());
    }
    if (text.size() < 2000) std::fprintf(stderr, "---\n%s\n---\n", text.c_str());
}

// Whether check() reports the error the run stopped with, on the line where the run places its
// stop (from its cursor, embed.h): both follow one rule for where a mistake stands. A block run
// to the end of the text without its "}" stops the run at the end token, which the checker names
// for what it is: an unclosed block.
bool reported(const Outcome& run, bool at_end, const std::vector<Diagnostic>& diagnostics) {
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.severity != Severity::error) continue;
        if (diagnostic.message == run.message && diagnostic.line == run.line) return true;
        if (at_end && diagnostic.code == info(Code::expected_rbrace).name) return true;
    }
    return false;
}

void compare(const std::string& name, const std::string& text, Counts& counts) {
    counts.scripts++;
    std::string difference = model_difference(text);
    if (!difference.empty()) {
        counts.model_differs++;
        std::fprintf(stderr, "model differs: %s: %s\n", name.c_str(), difference.c_str());
    }
    Outcome run = run_script(text);
    std::vector<Diagnostic> diagnostics = check(text);
    bool syntax_stop = run.stopped && !depends_on_values(run.message);
    bool any_error = false;
    for (const Diagnostic& diagnostic : diagnostics) {
        any_error = any_error || diagnostic.severity == Severity::error;
    }
    if (!run.stopped) {
        for (const Diagnostic& diagnostic : diagnostics) {
            if (!is_certain(diagnostic)) continue;
            counts.false_certain++;
            show("an error the run did not meet", name, text, run, diagnostics);
            break;
        }
    }
    for (const Diagnostic& diagnostic : diagnostics) {
        if (is_certain(diagnostic)) {
            counts.certain++;
            break;
        }
    }
    if (!syntax_stop) return;
    counts.stopped++;
    if (!any_error) {
        counts.false_clean++;
        show("no error reported", name, text, run, diagnostics);
    } else if (reported(run, run.token == run.token_count - 1, diagnostics)) {
        counts.matched++;
    } else {
        counts.missed++;
        show("missed", name, text, run, diagnostics);
    }
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Near-valid scripts: nested blocks of vars, assignments, prints and expressions, then a few
// tokens deleted, doubled, swapped or inserted.
class Generator {
public:
    explicit Generator(uint32_t seed) : random_(seed) {}

    std::string script() {
        // One name is declared before anything uses it; "u" is the rare undeclared one.
        tokens_ = {"var", "v0", "=", "1", ";"};
        names_ = 1;
        block(0, 2 + pick(6));
        int faults = pick(4);  // none in a quarter of them
        for (int i = 0; i < faults && !tokens_.empty(); i++) inject();
        // Lines the run does not count: a header directive cut from the first line, and
        // newlines inside strings.
        static const char* const headers[] = {"", "", "", "", "#sg<nel>\n", "sg<nel> v0 = 1;\n"};
        std::string text = headers[pick(6)];
        for (const std::string& token : tokens_) {
            text += token;
            text += pick(6) == 0 ? "\n" : " ";
        }
        return text;
    }

private:
    std::mt19937 random_;
    std::vector<std::string> tokens_;
    int names_ = 0;

    int pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
    void emit(std::initializer_list<std::string> parts) {
        tokens_.insert(tokens_.end(), parts.begin(), parts.end());
    }
    std::string name() {
        return names_ == 0 || pick(40) == 0 ? "u" : std::string("v") + std::to_string(pick(names_));
    }
    std::string number() {
        static const char* const numbers[] = {"0", "1", "2", "3", "10", "0.5", "100"};
        return numbers[pick(7)];
    }

    void expression(int depth) {
        int kind = depth > 2 ? pick(2) : pick(4);
        if (kind == 0) {
            emit({number()});
        } else if (kind == 1) {
            emit({name()});
        } else if (kind == 2) {
            static const char* const operators[] = {"+", "-", "*", "/", "==", "!=", "<", ">"};
            expression(depth + 1);
            emit({operators[pick(8)]});
            expression(depth + 1);
        } else {
            emit({"("});
            expression(depth + 1);
            emit({")"});
        }
    }

    void block(int depth, int statements) {
        for (int i = 0; i < statements; i++) {
            switch (depth > 2 ? pick(4) : pick(6)) {
                case 0: {
                    // The name counts as declared only after its initialiser, so that most
                    // runs get past their names and reach the faults injected further on.
                    std::string declared = std::string("v") + std::to_string(names_);
                    emit({"var", declared, "="});
                    if (pick(5) == 0) {
                        emit({"\"s\""});
                    } else {
                        expression(0);
                    }
                    emit({";"});
                    names_++;
                    break;
                }
                case 1:
                    emit({name(), "="});
                    expression(0);
                    emit({";"});
                    break;
                case 2:
                    emit({"print", "("});
                    for (int item = pick(3); item >= 0; item--) {
                        emit({pick(3) == 0 ? "\"t\nu\"" : pick(2) == 0 ? number() : name()});
                        if (item > 0) emit({","});
                    }
                    emit({")", ";"});
                    break;
                case 3:
                    expression(0);
                    emit({";"});
                    break;
                case 4:
                    emit({"if", "("});
                    expression(0);
                    emit({")", "{"});
                    block(depth + 1, pick(4));
                    emit({"}"});
                    break;
                default: {
                    // A counted loop, so that most runs end well before the step bound.
                    std::string counter = std::string("v") + std::to_string(names_++);
                    emit(
                        {"var", counter, "=", "0", ";", "while", "(", counter, "<", "3", ")", "{"});
                    block(depth + 1, pick(4));
                    emit({counter, "=", counter, "+", "1", ";", "}"});
                    break;
                }
            }
        }
    }

    void inject() {
        static const char* const extra[] = {"{",  "}",        "(",     ")",   ";",  ",",     "=",
                                            "+",  "\"s\"",    "print", "var", "if", "while", "else",
                                            "v0", "1",        "!",     "&&",  "@",  "-",     "<",
                                            "==", "function", "\"open"};
        size_t at = random_() % tokens_.size();
        switch (pick(4)) {
            case 0:
                tokens_.erase(tokens_.begin() + at);
                break;
            case 1:
                tokens_.insert(tokens_.begin() + at, tokens_[at]);
                break;
            case 2:
                if (at + 1 < tokens_.size()) std::swap(tokens_[at], tokens_[at + 1]);
                break;
            default:
                tokens_.insert(tokens_.begin() + at, extra[pick(std::size(extra))]);
                break;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: check_differential ROOT [CORPUS_DIR]\n");
        return 2;
    }
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return 2;  // the scripts print
    namespace fs = std::filesystem;
    fs::path root = argv[1];
    Counts counts;
    std::vector<fs::path> files;
    for (const char* folder : {"tests/golden", "examples", "fuzz/regressions", "tests/check"}) {
        if (!fs::is_directory(root / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            if (entry.is_regular_file() && entry.path().extension() == ".az") {
                files.push_back(entry.path());
            }
        }
    }
    if (argc > 2 && fs::is_directory(argv[2])) {
        for (const auto& entry : fs::directory_iterator(argv[2])) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
    }
    for (const fs::path& file : files) compare(file.string(), read_file(file), counts);
    // Inputs that would overflow a recursive reader's stack, and bytes of every value.
    std::string junk;
    for (int i = 0; i < 40000; i++) junk += static_cast<char>(1 + i % 255);
    const std::pair<const char*, std::string> stress[] = {
        {"nested parentheses",
         std::string("var x = ") + std::string(100000, '(') + "1" + std::string(100000, ')') + ";"},
        {"nested blocks",
         [] {
             std::string text;
             for (int i = 0; i < 50000; i++) text += "if (1) { while (0) {\n";
             return text + std::string(100000, '}');
         }()},
        {"binary junk", junk},
    };
    for (const auto& [name, text] : stress) compare(name, text, counts);
    int count = argc > 3 ? std::atoi(argv[3]) : 4000;
    Generator generator(argc > 4 ? static_cast<uint32_t>(std::atol(argv[4])) : 20261208);
    for (int i = 0; i < count; i++) {
        compare(std::string("generated #") + std::to_string(i), generator.script(), counts);
    }
    std::fprintf(stderr,
                 "check_differential: %d scripts (%zu files), %d stopped by a lexical or syntax "
                 "error: %d matched, %d missed, %d with no error reported; %d with an error that "
                 "stops every run reaching it, %d of them run to the end; the source model "
                 "differs from the run's lexer on %d\n",
                 counts.scripts, files.size(), counts.stopped, counts.matched, counts.missed,
                 counts.false_clean, counts.certain, counts.false_certain, counts.model_differs);
    return counts.missed == 0 && counts.false_clean == 0 && counts.false_certain == 0 &&
                   counts.model_differs == 0
               ? 0
               : 1;
}
