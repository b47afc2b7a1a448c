// The values a condition can come to over an interval; see ranges.h. The condition's tokens are
// read by operator level (operators.h) and computed over ranges: a sum of ranges is the range of
// the sums, a comparison is 0, 1, or either. Anything a range cannot say for sure (a division by
// a range that holds 0, a not-a-number, an error) may hold.
#include "ranges.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "interpreter.h"
#include "literal.h"
#include "operators.h"

namespace {

struct Range {
    double low, high;
    bool known;  // false: any value, or an error
};

const Range ANY = {0.0, 0.0, false};

// The range of a binary operator over two ranges.
Range combine(TokenType op, Range a, Range b) {
    if (!a.known || !b.known) return ANY;
    auto both = [](bool yes, bool no) { return Range{no ? 0.0 : 1.0, yes ? 1.0 : 0.0, true}; };
    switch (op) {
        case TOKEN_EQ:
            return both(a.low == a.high && b.low == b.high && a.low == b.low,
                        a.high < b.low || b.high < a.low);
        case TOKEN_NEQ:
            return both(a.high < b.low || b.high < a.low,
                        a.low == a.high && b.low == b.high && a.low == b.low);
        case TOKEN_LT:
            return both(a.high < b.low, a.low >= b.high);
        case TOKEN_GT:
            return both(a.low > b.high, a.high <= b.low);
        default:
            break;
    }
    if (op == TOKEN_SLASH && b.low <= 0.0 && b.high >= 0.0) return ANY;  // may divide by zero
    // The operation is monotone in each operand between the ends: its range is the corners'.
    double ends[4];
    for (int i = 0; i < 4; i++) {
        double x = i < 2 ? a.low : a.high, y = i % 2 == 0 ? b.low : b.high;
        ends[i] = op == TOKEN_PLUS    ? x + y
                  : op == TOKEN_MINUS ? x - y
                  : op == TOKEN_STAR  ? x * y
                                      : x / y;
    }
    for (double end : ends) {
        if (std::isnan(end)) return ANY;
    }
    return Range{*std::min_element(ends, ends + 4), *std::max_element(ends, ends + 4), true};
}

struct Reader {
    const std::vector<Token>& tokens;
    size_t at;
    const Snapshot& start;
    bool failed;
};

Range read_level(Reader& reader, int level);

// primary: NUMBER | IDENTIFIER | "(" expression ")"
Range read_primary(Reader& reader) {
    if (reader.at + 1 >= reader.tokens.size()) {  // the end token: nothing to read
        reader.failed = true;
        return ANY;
    }
    const Token& token = reader.tokens[reader.at++];
    if (token.type == TOKEN_NUMBER) {
        double value = convert_literal(token.value, std::strlen(token.value));
        return std::isnan(value) ? ANY : Range{value, value, true};
    }
    if (token.type == TOKEN_IDENTIFIER) {
        const std::vector<Variable>& store = reader.start.store;
        int32_t entry = first_entry(store.data(), static_cast<int32_t>(store.size()), token.value);
        if (entry < 0 || entry >= static_cast<int32_t>(reader.start.written.size())) return ANY;
        double now = store[entry].is_string ? 0.0 : store[entry].number;
        ValueRange range = reader.start.written[entry];
        widen(range, now);
        return range.unknown ? ANY : Range{range.low, range.high, true};
    }
    if (token.type == TOKEN_LPAREN) {
        Range inside = read_level(reader, LEVEL_COMPARISON);
        if (reader.failed || reader.tokens[reader.at].type != TOKEN_RPAREN) reader.failed = true;
        reader.at++;
        return inside;
    }
    reader.failed = true;
    return ANY;
}

// The operators of one level, left to right, over the next level's operands.
Range read_level(Reader& reader, int level) {
    if (level > LEVEL_FACTOR) return read_primary(reader);
    Range value = read_level(reader, level + 1);
    while (!reader.failed && reader.at + 1 < reader.tokens.size() &&
           level_of(reader.tokens[reader.at].type) == level) {
        TokenType op = reader.tokens[reader.at++].type;
        value = combine(op, value, read_level(reader, level + 1));
    }
    return value;
}

}  // namespace

void widen(ValueRange& range, double value) {
    if (std::isnan(value)) range.unknown = true;
    range.low = std::min(range.low, value);
    range.high = std::max(range.high, value);
}

bool condition_may_hold(const Session& session, size_t index, const LexedExpression& condition) {
    if (condition.tokens.empty() || !condition.error.empty()) return true;
    Reader reader{condition.tokens, 0, session.snapshots[index], false};
    Range value = read_level(reader, LEVEL_COMPARISON);
    if (reader.failed || reader.at + 1 != condition.tokens.size() || !value.known) return true;
    return !(value.low == 0.0 && value.high == 0.0);
}
