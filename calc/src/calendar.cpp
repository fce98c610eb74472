#include "quillbary/calendar.h"

namespace quillbary {

std::int32_t DayDifference(std::chrono::year_month_day from, std::chrono::year_month_day to) {
  const std::chrono::days difference = std::chrono::sys_days{to} - std::chrono::sys_days{from};
  return static_cast<std::int32_t>(difference.count());
}

}  // namespace quillbary
