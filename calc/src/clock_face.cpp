#include "quillbary/clock_face.h"

#include <array>
#include <charconv>

namespace quillbary {
namespace {

// Appends `value`, zero-padded to `width` digits.
void AppendNumber(std::string& out, int value, int width) {
  std::array<char, 12> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  const auto length = static_cast<int>(end.ptr - buffer.data());
  if (length < width) out.append(static_cast<std::size_t>(width - length), '0');
  out.append(buffer.data(), end.ptr);
}

}  // namespace

std::string FormatClock(LocalMoment moment, std::string_view pattern) {
  using namespace std::chrono;
  const local_days day = floor<days>(moment);
  const year_month_day date{day};
  const hh_mm_ss<seconds> time{moment - day};

  std::string out;
  out.reserve(pattern.size() + 8);
  bool afterHour = false;
  for (std::size_t i = 0; i < pattern.size();) {
    const char letter = pattern[i];
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == letter) ++run;
    const std::string_view field = pattern.substr(i, run);
    i += run;

    const bool isField =
        letter == 'y'
            ? run == 4
            : (letter == 'm' || letter == 'd' || letter == 'h' || letter == 's') && run <= 2;
    if (!isField) {
      out += field;
      continue;
    }
    const int width = static_cast<int>(run);
    switch (letter) {
      case 'y':
        AppendNumber(out, static_cast<int>(date.year()), 4);
        break;
      case 'm':
        if (afterHour) {
          AppendNumber(out, static_cast<int>(time.minutes().count()), width);
        } else {
          AppendNumber(out, static_cast<int>(static_cast<unsigned>(date.month())), width);
        }
        break;
      case 'd':
        AppendNumber(out, static_cast<int>(static_cast<unsigned>(date.day())), width);
        break;
      case 'h':
        AppendNumber(out, static_cast<int>(time.hours().count()), width);
        break;
      case 's':
        AppendNumber(out, static_cast<int>(time.seconds().count()), width);
        break;
    }
    afterHour = letter == 'h';
  }
  return out;
}

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
