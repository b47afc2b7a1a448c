// A live run's notes as the protocol's inlay hints, and its error as a diagnostic.
#pragma once

#include <string>

#include "document.h"
#include "language_features.h"
#include "live.h"

// The hints of a run of the document's text that lie in `range` (null: all), each after its
// statement, as the textDocument/inlayHint response lists them.
json live_hints(const Document& document, const LiveRun& run, const json* range,
                const Context& context);

// The diagnostic at the statement where the run stopped with an error ("this run stops here:
// Division by zero"); null when it did not.
json live_diagnostic(const Document& document, const LiveRun& run, const Context& context);
