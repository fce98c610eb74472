// Calendar days: the pickers' range, the days between two dates and a
// date's text.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace quillbary {

// The dates the pickers hold. Every date in this range is valid for the
// functions below.
inline constexpr std::chrono::year_month_day kFirstDate{std::chrono::year{1601},
                                                        std::chrono::January, std::chrono::day{1}};
inline constexpr std::chrono::year_month_day kLastDate{std::chrono::year{9999},
                                                       std::chrono::December, std::chrono::day{31}};

// Calendar days from `from` to `to`: positive when `to` is later, 0 on the
// same day, negative when `to` is earlier.
//
//   2009-02-28 -> 2009-03-01  =  1      2008-02-28 -> 2008-03-01  =  2
//   2009-03-01 -> 2009-02-28  = -1      2009-01-01 -> 2009-07-01  =  181
//   1601-01-01 -> 9999-12-31  =  3067670
std::int32_t DayDifference(std::chrono::year_month_day from, std::chrono::year_month_day to);

// The date as ISO 8601 writes it, the year always in four digits:
//   1601-01-01 -> "1601-01-01"      9999-12-31 -> "9999-12-31"
std::string IsoDateText(std::chrono::year_month_day date);

}  // namespace quillbary
