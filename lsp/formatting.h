// Formatting and range formatting: the formatter's edits as the protocol's TextEdits.
#pragma once

#include <string>

#include "language_features.h"

// The TextEdits that lay the document out, all of them or, given a Range, those that touch it.
// A script the formatter leaves as it is (a lexical error) gives no edits and says why in
// `problem`; statements left as written for a checker's error are named in `note`, one a line.
json formatting_edits(const Document& document, const json* range, const Context& context,
                      std::string& problem, std::string& note);
