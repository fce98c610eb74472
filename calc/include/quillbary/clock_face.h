// What the two clock fields show, remembered between ticks so that a tick in
// the same second as the last one formats nothing and changes nothing.
#pragma once

#include <optional>
#include <string>

#include "quillbary/calendar.h"

namespace quillbary {

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
