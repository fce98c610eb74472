// A monthly rate in per mille as the annual rate in per cent that loan
// documents print beside it: ‰ × 12 ÷ 10. The product is worked on the
// decimal digits of the rate as typed, so that 4.35‰ is exactly 5.22%, never
// a double's 5.2199999999999998.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillbary {

inline constexpr std::string_view kAnnualRateItem = "折合年利率";

// The annual rate, in per cent and without the sign, of a monthly rate typed
// into the rate field (read by the typed-number rule of typed_number.h), or
// nothing when that rule refuses the text or its exponent puts the figure
// more than 40 places from the decimal point.
//   "4.35" -> "5.22"    "5.31" -> "6.372"   "10" -> "12"   "0.5" -> "0.6"
//   "１，０００" -> "1200"  "-2.5" -> "-3"  "1e-3" -> "0.0012"  "&H5" -> "6"
//   "5%" -> nothing     "" -> nothing
std::optional<std::string> AnnualPercent(std::string_view typedRate);

// The rate field's tip as the clerk types: "月利率 4.35‰ = 年利率 5.22%" (the
// rate as the calculation reads it: blanks and commas gone, full-width
// folded), or a line on what the field takes while the text is no rate.
std::string RateTip(std::string_view typedRate);

// A statement's 月利率 value with its annual rate beside it:
// "5.31‰" -> "5.31‰（折合年利率 6.372%）", "1,000‰" -> "1,000‰（折合年利率 1200%）".
// A value without a per-mille figure stays as it is.
std::string WithAnnualRate(std::string_view permilleValue);

}  // namespace quillbary
