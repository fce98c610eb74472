// The window's figure texts written as a spreadsheet reads numbers: plain
// decimal digits, a zero before the point, no blank before a positive
// number, no exponent. Only the writing changes, never a digit of the value:
// the conversion moves the point, it does not round.
#pragma once

#include <string>
#include <string_view>

namespace quillbary::batch::detail {

// A figure in plain decimal: " 7.965" -> "7.965", ".6525" -> "0.6525",
// "-.5" -> "-0.5", "780." -> "780", "181" -> "181", "1.5E+20" ->
// "150000000000000000000", "1.5E-05" -> "0.000015". A text that is no
// number ("", "溢出") comes back as it is.
std::string PlainDecimal(std::string_view figure);

// A money figure in plain decimal with at least two decimals: "780." ->
// "780.00", "-1165.8" -> "-1165.80", "320.37" -> "320.37", "1.5E+20" ->
// "150000000000000000000.00". A text that is no number comes back as it is.
std::string PlainMoney(std::string_view figure);

}  // namespace quillbary::batch::detail
