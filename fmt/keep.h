// Formatting that never hides a mistake: the statements the checker has something to say about
// are left as written, so it says the same of the formatted script as of the input (its help
// quotes a statement as written). The command, the language server and the playground format
// through this; the layout itself (format.h) stays on the core alone.
#pragma once

#include <string_view>
#include <vector>

#include "format.h"

// The lines to leave as written, each with the checker's reason: the lines of every statement
// with an error or a warning (and the header of the if or while it stands in or after, and the
// lines its fixes span), or the whole script for an error when a brace is unpaired or is where
// the error stands (the checker reads blocks from the indentation then, which the layout would
// rewrite). None for a lexical error, which format_script leaves whole.
std::vector<KeptLines> lines_to_keep(std::string_view text);

// format_script(text, with_edits, lines_to_keep(text)).
FormatResult format_checked(std::string_view text, bool with_edits = false);

// The note for one part left as written: "2-3: left as written, for the checker's error:
// Expected expression" (a single line shows one number).
std::string kept_note(const KeptLines& lines);
