#include "lines.h"
#include "render.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Diagnostic unclosed_block() {
    return Diagnostic{Severity::error,
                      3,
                      1,
                      2,
                      "expected-rbrace",
                      "Expected '}'",
                      {Note{false, 1, 11, 12, "block opened here"},
                       Note{true, 0, 0, 0, "close the block with '}'"}},
                      {}};
}

const char script[] = "while (x) {\n\tx = x + 1\n";

TEST(RenderText, LocationExcerptNotesAndHelp) {
    std::string text = render_text({unclosed_block()}, "a.az", script, RenderOptions{});
    EXPECT_EQ(text,
              "a.az:3:1: error: Expected '}' [expected-rbrace]\n"
              "    3 | \n"
              "      | ^\n"
              "a.az:1:11: note: block opened here\n"
              "    1 | while (x) {\n"
              "      |           ^\n"
              "      help: close the block with '}'\n");
}

TEST(RenderText, CaretFollowsTabsAndCharactersNotBytes) {
    Diagnostic d{Severity::warning, 1, 9, 12, "c", "m", {}, {}};
    // "é" is two bytes but one column; the tab is kept so the caret lines up in any editor.
    std::string text = render_text({d}, "f", "\t\"\xc3\xa9\" + abc;", RenderOptions{});
    EXPECT_EQ(text,
              "f:1:9: warning: m [c]\n"
              "    1 | \t\"\xc3\xa9\" + abc;\n"
              "      | \t      ^~~\n");
}

TEST(RenderText, ControlBytesAreEscapedAndLongLinesWindowed) {
    Diagnostic d{Severity::error, 1, 2, 3, "unknown-character", "Unknown character: \x1b", {}, {}};
    std::string text = render_text({d}, "f", "a\x1b", RenderOptions{});
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_NE(text.find("Unknown character: \\x1b"), std::string::npos);

    std::string long_line(100000, 'x');
    Diagnostic far{Severity::error, 1, 50000, 50001, "c", "m", {}, {}};
    std::string windowed = render_text({far}, "f", long_line, RenderOptions{});
    EXPECT_LT(windowed.size(), 400u);
    EXPECT_NE(windowed.find("..."), std::string::npos);
}

TEST(RenderText, ColorOnlyWhenAsked) {
    std::string plain = render_text({unclosed_block()}, "a.az", script, RenderOptions{false});
    std::string colored = render_text({unclosed_block()}, "a.az", script, RenderOptions{true});
    EXPECT_EQ(plain.find('\033'), std::string::npos);
    EXPECT_NE(colored.find("\033[1;31merror:"), std::string::npos);
}

TEST(RenderSummary, CountsAndPlurals) {
    EXPECT_EQ(render_summary(0, 0, {}), "");
    EXPECT_EQ(render_summary(1, 0, {}), "1 error found.\n");
    EXPECT_EQ(render_summary(2, 1, {}), "2 errors and 1 warning found.\n");
    EXPECT_EQ(render_summary(0, 3, {}), "3 warnings found.\n");
}

TEST(RenderJson, FieldsNotesAndInvalidUtf8) {
    Diagnostic bad{Severity::warning,
                   2,
                   5,
                   6,
                   "c",
                   "Unknown character: \xff",
                   {},
                   {Edit{7, 8, "\xff;", true}, Edit{7, 7, "", false}}};
    std::string json = render_json({{"a.az", {unclosed_block()}}, {"b.az", {bad}}});
    EXPECT_EQ(json,
              "[{\"code\":\"expected-rbrace\",\"column\":1,\"end_column\":2,\"file\":\"a.az\","
              "\"fixes\":[],\"line\":3,\"message\":\"Expected '}'\",\"notes\":[{\"column\":11,"
              "\"end_column\":12,\"kind\":\"note\",\"line\":1,\"message\":\"block opened "
              "here\"},{\"kind\":\"help\",\"message\":\"close the block with '}'\"}],"
              "\"severity\":\"error\"},{\"code\":\"c\",\"column\":5,\"end_column\":6,\"file\":"
              "\"b.az\",\"fixes\":[{\"certain\":true,\"end\":8,\"replacement\":\"\xef\xbf\xbd;\","
              "\"start\":7},{\"certain\":false,\"end\":7,\"replacement\":\"\",\"start\":7}],"
              "\"line\":2,\"message\":\"Unknown character: \xef\xbf\xbd\",\"notes\":[],"
              "\"severity\":\"warning\"}]");
}

}  // namespace

// The fixes --fix applies: certain ones only, the first of each diagnostic, none overlapping.
TEST(Fixes, CertainFirstAndApart) {
    std::string text = "x += 1;\nprint(a,);\n";
    Diagnostic compound{Severity::error,
                        1,
                        1,
                        2,
                        "compound-assignment",
                        "m",
                        {},
                        {Edit{0, 7, "x = x + 1;", true}, Edit{0, 7, "other", true}}};
    Diagnostic inside{Severity::error, 1, 3, 4, "c", "m", {}, {Edit{2, 4, "=", true}}};
    Diagnostic choice{Severity::error, 2, 1, 2, "c", "m", {}, {Edit{8, 13, "print", false}}};
    Diagnostic comma{Severity::error, 2, 9, 10, "c", "m", {}, {Edit{15, 16, "", true}}};
    std::vector<Diagnostic> diagnostics{compound, inside, choice, comma};
    std::vector<ChosenFix> fixes = certain_fixes(diagnostics, text);
    ASSERT_EQ(fixes.size(), 2u);
    EXPECT_EQ(fixes[0].before, "x += 1;");
    EXPECT_EQ(apply_fixes(text, fixes), "x = x + 1;\nprint(a);\n");
    EXPECT_EQ(render_fixed(fixes, "f.az", {}),
              "f.az:1:1: fixed: replaced 'x += 1;' with 'x = x + 1;' [compound-assignment]\n"
              "f.az:2:9: fixed: removed ',' [c]\n");
}

// A diff that patch applies: one hunk per changed run of lines, line numbers after a change that
// adds lines shifted.
TEST(RenderDiff, HunksAndShift) {
    std::string text = "a;\nb\nc;\nd";
    Diagnostic first{Severity::error, 1, 1, 2, "c", "m", {}, {Edit{0, 1, "x;\ny", true}}};
    Diagnostic second{Severity::error, 2, 2, 3, "c", "m", {}, {Edit{4, 4, ";", true}}};
    Diagnostic last{Severity::error, 4, 2, 3, "c", "m", {}, {Edit{9, 9, ";", true}}};
    std::vector<Diagnostic> diagnostics{first, second, last};
    EXPECT_EQ(render_diff(certain_fixes(diagnostics, text), "f.az", text),
              "--- f.az\n+++ f.az\n"
              "@@ -1,1 +1,2 @@\n-a;\n+x;\n+y;\n@@ -2,1 +3,1 @@\n-b\n+b;\n"
              "@@ -4,1 +5,1 @@\n-d\n\\ No newline at end of file\n+d;\n"
              "\\ No newline at end of file\n");
}

// The one line table: the checker's lines end at "\n" only, an editor's also at a lone "\r";
// offsets past a line clamp to its end, and a line's text leaves out its break.
TEST(LineTable, BreaksOffsetsAndText) {
    std::string_view text = "ab\r\ncd\ref\n\nz";
    LineTable checker(text);
    LineTable editor(text, LineBreaks::any);
    EXPECT_EQ(checker.starts, (std::vector<size_t>{0, 4, 10, 11}));
    EXPECT_EQ(editor.starts, (std::vector<size_t>{0, 4, 7, 10, 11}));
    EXPECT_EQ(checker.line(8), 2);
    EXPECT_EQ(checker.column(8), 5);
    EXPECT_EQ(editor.line(8), 3);
    EXPECT_EQ(checker.text_of(text, 1), "ab");
    EXPECT_EQ(checker.text_of(text, 2), "cd\ref");
    EXPECT_EQ(editor.text_of(text, 2), "cd");
    EXPECT_EQ(checker.text_of(text, 3), "");
    EXPECT_EQ(checker.text_of(text, 4), "z");
    EXPECT_EQ(checker.text_of(text, 5), "");
    EXPECT_EQ(checker.offset(1, 99), 3u);  // clamped before the "\n", after the "\r"
    EXPECT_EQ(checker.offset(4, 2), 12u);
    EXPECT_EQ(checker.offset(9, 1), text.size());
    LineWalker walker{checker};
    int32_t line = 0, column = 0;
    walker.place(5, &line, &column);
    EXPECT_EQ(std::make_pair(line, column), std::make_pair(2, 2));
    walker.place(12, &line, &column);
    EXPECT_EQ(std::make_pair(line, column), std::make_pair(4, 2));
}
