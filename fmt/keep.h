// Formatting that never hides a mistake: the statements where the checker finds an error are
// left as written, so the checker says the same of the formatted script as of the input. The
// command, the language server and the playground format through this; the layout itself
// (format.h) stays on the core alone.
#pragma once

#include <string_view>
#include <vector>

#include "format.h"

// The lines to leave as written, each with the checker's message: the lines of every statement
// holding an error, or the whole script when a brace is unpaired (the checker reads blocks from
// the indentation then, which the layout would rewrite). None for a lexical error, which
// format_script leaves whole.
std::vector<KeptLines> lines_to_keep(std::string_view text);

// format_script(text, with_edits, lines_to_keep(text)).
FormatResult format_checked(std::string_view text, bool with_edits = false);

// The note for one part left as written: "2-3: left as written, for an error there: Expected
// expression" (a single line shows one number).
std::string kept_note(const KeptLines& lines);
