// The tests a loop runner makes of its condition (see fast_path.cpp's run_loop): name, the
// condition it tests, its length in tokens (0: none fixed, to the ")" of the condition). Chosen
// when the loop starts, and again once the body's last statement has first run (what an
// "_AFTER" test counts on: "last" is the variable that statement stored). The tests chosen by
// comparison keep the order "<" ">" "==" "!=", which the chooser counts on (choose_kinds.cpp).
// Included with LOOP_TEST(name, condition, length) defined.
LOOP_TEST(GENERAL,      "any condition of no test below, to its ')'", 0)
LOOP_TEST(GROUPED,      "(a op b) op c: two or three primaries, one parenthesised, to its ')'", 0)
LOOP_TEST(PAIR,         "a op b with an arithmetic op", 3)
LOOP_TEST(LESS,         "a < b", 3)
LOOP_TEST(LESS_AFTER,   "last < b", 3)
LOOP_TEST(GREATER,      "a > b", 3)
LOOP_TEST(GREATER_AFTER, "last > b", 3)
LOOP_TEST(EQUAL,        "a == b", 3)
LOOP_TEST(EQUAL_AFTER,  "last == b", 3)
LOOP_TEST(NOT_EQUAL,    "a != b", 3)
LOOP_TEST(NOT_EQUAL_AFTER, "last != b", 3)
// Split at the condition's one comparison, both sides computed by their shapes.
LOOP_TEST(LESS_COMPARISON,      "left < right, to its ')'", 0)
LOOP_TEST(GREATER_COMPARISON,   "left > right, to its ')'", 0)
LOOP_TEST(EQUAL_COMPARISON,     "left == right, to its ')'", 0)
LOOP_TEST(NOT_EQUAL_COMPARISON, "left != right, to its ')'", 0)
