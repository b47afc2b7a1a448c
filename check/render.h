// Diagnostics as people and tools read them: text with a source excerpt, and JSON.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "fixes.h"

struct RenderOptions {
    bool color = false;
};

// One file's diagnostics in compiler style: "FILE:LINE:COL: error: MESSAGE [code]", the
// source line with a caret under the place, then notes and help lines.
std::string render_text(const std::vector<Diagnostic>& diagnostics, std::string_view path,
                        std::string_view text, const RenderOptions& options);

// The closing line, "2 errors and 1 warning found.", or "" when there are none.
std::string render_summary(int errors, int warnings, const RenderOptions& options);

struct FileReport {
    std::string path;
    std::vector<Diagnostic> diagnostics;
};

// Every file's diagnostics as one JSON array of objects (file, line, column, end_column,
// severity, code, message, notes); invalid UTF-8 becomes U+FFFD.
std::string render_json(const std::vector<FileReport>& reports);

// One line per applied fix: "FILE:LINE:COL: fixed: replaced 'x += 1;' with 'x = x + 1;'
// [compound-assignment]".
std::string render_fixed(const std::vector<ChosenFix>& fixes, std::string_view path,
                         const RenderOptions& options);

// A unified diff of the text before and after the fixes, one hunk per run of changed lines and
// no lines of context, which `patch` applies.
std::string render_diff(const std::vector<ChosenFix>& fixes, std::string_view path,
                        std::string_view text);
