// The words of live notes: values, printed text and counts written short, as an inlay hint
// reads, and always valid UTF-8 whatever bytes a script printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Longest printed text or string shown in a note, in characters, before it is cut with "…".
inline constexpr size_t LIVE_TEXT_CHARACTERS = 40;

// A number as the tools show values: the fewest digits that read back as the same double.
std::string exact_number(double value);
// A string in double quotes, cut short, with line breaks and tabs shown as \n and \t and bytes
// that are not UTF-8 as U+FFFD.
std::string quoted(std::string_view bytes);
// A count with thousands separated: "1,000,000".
std::string grouped(int64_t count);

// A store: "x = 5" once; "x = 45 (× 10: 0, 1, 2, …)" after several runs, the last value first.
std::string store_text(const std::string& name, const std::string& last, const std::string* first,
                       size_t first_count, int64_t runs);
// A print: its last text quoted, "(× N)" after several runs.
std::string print_text(const std::string& printed, int64_t runs);
// An if: "taken" or "not taken" once, "taken 3 of 10" after several runs.
std::string if_text(int64_t taken, int64_t runs);
// A while: "12 passes", or "30 passes in 3 runs".
std::string while_text(int64_t passes, int64_t runs);
