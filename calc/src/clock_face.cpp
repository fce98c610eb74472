#include "quillbary/clock_face.h"

namespace quillbary {

std::optional<std::string> ClockFace::DateText(LocalMoment moment) {
  const auto day = std::chrono::floor<std::chrono::days>(moment);
  if (shownDay_ == day) return std::nullopt;
  shownDay_ = day;
  return FormatClock(moment, kDatePattern);
}

std::optional<std::string> ClockFace::TimeText(LocalMoment moment) {
  if (shownSecond_ == moment) return std::nullopt;
  shownSecond_ = moment;
  return FormatClock(moment, kTimePattern);
}

}  // namespace quillbary
