// Calendar days and the clock texts.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

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

// A local date and time, to the second.
using LocalMoment = std::chrono::local_seconds;

// The patterns of the clock fields.
inline constexpr std::string_view kDatePattern = "yyyy年m月d日";
inline constexpr std::string_view kTimePattern = "h时mm分ss秒";

// Writes `moment` by `pattern`. Fields are runs of the letters y, m, d, h and
// s; every other character is copied unchanged:
//   yyyy  four-digit year          m / mm   month, or minutes right after an
//   d     day, no leading zero              hour field; mm pads to two digits
//   dd    day, two digits          h        hour 0-23, no leading zero
//   hh    hour, two digits         s / ss   seconds; ss pads to two digits
// A run of other length (say "yyy") is copied unchanged.
//
//   2009-03-01 09:05:07, "yyyy年m月d日" -> "2009年3月1日"
//   2009-03-01 09:05:07, "h时mm分ss秒"  -> "9时05分07秒"
//   2009-12-31 23:59:59, "h时mm分ss秒"  -> "23时59分59秒"
std::string FormatClock(LocalMoment moment, std::string_view pattern);

}  // namespace quillbary
