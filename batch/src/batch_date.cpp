#include "quillbary/batch_date.h"

#include <charconv>
#include <optional>

#include "quillbary/calendar.h"
#include "text_fold.h"

namespace quillbary::batch {
namespace {

using std::chrono::year_month_day;

// Reads 1 to `maxDigits` digits at `text`'s start, advancing it.
std::optional<int> Digits(std::string_view& text, std::size_t maxDigits) {
  std::size_t n = 0;
  while (n < text.size() && n < maxDigits && text[n] >= '0' && text[n] <= '9') ++n;
  if (n == 0) return std::nullopt;
  int value = 0;
  std::from_chars(text.data(), text.data() + n, value);
  text.remove_prefix(n);
  return value;
}

bool Skip(std::string_view& text, std::string_view separator) {
  if (!text.starts_with(separator)) return false;
  text.remove_prefix(separator.size());
  return true;
}

struct Parts {
  int year, month, day;
};

std::optional<Parts> Split(std::string_view text) {
  if (text.size() == 8 && text.find_first_not_of("0123456789") == std::string_view::npos) {
    return Parts{
        (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0'),
        (text[4] - '0') * 10 + (text[5] - '0'), (text[6] - '0') * 10 + (text[7] - '0')};
  }
  const auto year = Digits(text, 4);
  if (!year || text.empty()) return std::nullopt;
  if (Skip(text, "年")) {
    const auto month = Digits(text, 2);
    if (!month || !Skip(text, "月")) return std::nullopt;
    const auto day = Digits(text, 2);
    if (!day) return std::nullopt;
    Skip(text, "日");
    if (!text.empty()) return std::nullopt;
    return Parts{*year, *month, *day};
  }
  const char separator = text.front();
  if (separator != '-' && separator != '/' && separator != '.') return std::nullopt;
  text.remove_prefix(1);
  const auto month = Digits(text, 2);
  if (!month || text.empty() || text.front() != separator) return std::nullopt;
  text.remove_prefix(1);
  const auto day = Digits(text, 2);
  if (!day || !text.empty()) return std::nullopt;
  return Parts{*year, *month, *day};
}

// The form most sheets hold, "2009-01-01", read without folding or copying.
std::optional<Parts> SplitIsoForm(std::string_view cell) {
  if (cell.size() != 10 || cell[4] != '-' || cell[7] != '-') return std::nullopt;
  int digits[8];
  for (int i = 0, k = 0; i < 10; ++i) {
    if (i == 4 || i == 7) continue;
    if (cell[i] < '0' || cell[i] > '9') return std::nullopt;
    digits[k++] = cell[i] - '0';
  }
  return Parts{digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3],
               digits[4] * 10 + digits[5], digits[6] * 10 + digits[7]};
}

}  // namespace

std::variant<year_month_day, DateProblem> ReadBatchDate(std::string_view cell) {
  std::optional<Parts> parts = SplitIsoForm(cell);
  std::string text;
  if (!parts) {
    text = detail::FoldedAndTrimmed(cell);
    if (text.empty()) return DateProblem::kEmpty;
    parts = Split(text);
  }
  if (!parts) return DateProblem::kUnreadable;
  const year_month_day date{std::chrono::year{parts->year},
                            std::chrono::month{static_cast<unsigned>(parts->month)},
                            std::chrono::day{static_cast<unsigned>(parts->day)}};
  if (!date.ok()) return DateProblem::kImpossible;
  if (date < kFirstDate || date > kLastDate) return DateProblem::kOutOfRange;
  return date;
}

std::string DateProblemText(std::string_view column, std::string_view cell, DateProblem problem) {
  std::string text(column);
  switch (problem) {
    case DateProblem::kEmpty:
      return text + "为空";
    case DateProblem::kUnreadable:
      return text + "“" + std::string(cell) + "”不是可识别的日期（如 2009-01-01）";
    case DateProblem::kImpossible:
      return text + "“" + std::string(cell) + "”不是存在的日期";
    case DateProblem::kOutOfRange:
      return text + "“" + std::string(cell) + "”超出 1601-01-01 至 9999-12-31";
  }
  return text;
}

}  // namespace quillbary::batch
