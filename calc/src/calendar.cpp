#include "quillbary/calendar.h"

#include <algorithm>

#include "quillbary/number_format.h"

namespace quillbary {

std::int32_t DayDifference(std::chrono::year_month_day from, std::chrono::year_month_day to) {
  const std::chrono::days difference = std::chrono::sys_days{to} - std::chrono::sys_days{from};
  return static_cast<std::int32_t>(difference.count());
}

std::string IsoDateText(std::chrono::year_month_day date) {
  const auto twoDigits = [](unsigned n) {
    return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
  };
  std::string year = IntegerToText(static_cast<int>(date.year()));
  year.insert(0, 4 - std::min<std::size_t>(year.size(), 4), '0');
  return year + '-' + twoDigits(static_cast<unsigned>(date.month())) + '-' +
         twoDigits(static_cast<unsigned>(date.day()));
}

}  // namespace quillbary
