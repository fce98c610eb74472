// The statement's figures as the exports write them: plain decimals that a
// spreadsheet reads as numbers, the unit and the grouping left to the
// column's heading and format.
#pragma once

#include <string>
#include <string_view>

namespace quillbary::journal {

// A figure as a statement shows it, without its unit and its groups:
//   "10,000.00 元" -> "10000.00"     "-1,165.80 元" -> "-1165.80"
//   "5.31‰" -> "5.31"                "181 天" -> "181"
// A text that is then no plain decimal ("1.0E+16 元", "", "只结利息") comes
// back as it was, to be written as text.
std::string PlainFigure(std::string_view shown);

// Whether `text` is a plain decimal: an optional "-", digits, and optionally
// "." and more digits ("0.6525", "-3", not ".5", "1e5" or "1,000").
bool IsPlainDecimal(std::string_view text);

}  // namespace quillbary::journal
