// The clock fields: the texts of a local date and time, and what the two
// fields show, remembered between ticks so that a tick in the same second as
// the last one formats nothing and changes nothing.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quillbary {

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

class ClockFace {
 public:
  // The new text of the date field, FormatClock(moment, kDatePattern), when
  // `moment` falls on another day than the one shown; otherwise nothing.
  std::optional<std::string> DateText(LocalMoment moment);

  // The new text of the time field, FormatClock(moment, kTimePattern), when
  // `moment` is another second than the one shown; otherwise nothing.
  std::optional<std::string> TimeText(LocalMoment moment);

 private:
  std::optional<std::chrono::local_days> shownDay_;
  std::optional<LocalMoment> shownSecond_;
};

}  // namespace quillbary
