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
                       Note{true, 0, 0, 0, "close the block with '}'"}}};
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
    Diagnostic d{Severity::warning, 1, 9, 12, "c", "m", {}};
    // "é" is two bytes but one column; the tab is kept so the caret lines up in any editor.
    std::string text = render_text({d}, "f", "\t\"\xc3\xa9\" + abc;", RenderOptions{});
    EXPECT_EQ(text,
              "f:1:9: warning: m [c]\n"
              "    1 | \t\"\xc3\xa9\" + abc;\n"
              "      | \t      ^~~\n");
}

TEST(RenderText, ControlBytesAreEscapedAndLongLinesWindowed) {
    Diagnostic d{Severity::error, 1, 2, 3, "unknown-character", "Unknown character: \x1b", {}};
    std::string text = render_text({d}, "f", "a\x1b", RenderOptions{});
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_NE(text.find("Unknown character: \\x1b"), std::string::npos);

    std::string long_line(100000, 'x');
    Diagnostic far{Severity::error, 1, 50000, 50001, "c", "m", {}};
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
    Diagnostic bad{Severity::warning, 2, 5, 6, "c", "Unknown character: \xff", {}};
    std::string json = render_json({{"a.az", {unclosed_block()}}, {"b.az", {bad}}});
    EXPECT_EQ(json,
              "[{\"code\":\"expected-rbrace\",\"column\":1,\"end_column\":2,\"file\":\"a.az\","
              "\"line\":3,\"message\":\"Expected '}'\",\"notes\":[{\"column\":11,"
              "\"end_column\":12,\"kind\":\"note\",\"line\":1,\"message\":\"block opened "
              "here\"},{\"kind\":\"help\",\"message\":\"close the block with '}'\"}],"
              "\"severity\":\"error\"},{\"code\":\"c\",\"column\":5,\"end_column\":6,\"file\":"
              "\"b.az\",\"line\":2,\"message\":\"Unknown character: \xef\xbf\xbd\",\"notes\":[],"
              "\"severity\":\"warning\"}]");
}

}  // namespace
