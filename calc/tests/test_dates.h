// A calendar date for the test tables, written year, month, day.
#pragma once

#include <chrono>

namespace quillbary {

constexpr std::chrono::year_month_day Ymd(int y, unsigned m, unsigned d) {
  return std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                     std::chrono::day{d}};
}

}  // namespace quillbary
