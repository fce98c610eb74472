#include "quillbary/working.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "interest_steps.h"
#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"
#include "quillbary/number_format.h"
#include "quillbary/number_parse.h"

namespace quillbary {
namespace {

constexpr std::string_view kTimes = " × ";
constexpr std::string_view kDividedBy = " ÷ ";
constexpr std::string_view kPlus = " + ";
constexpr std::string_view kNotOverdue = "（未逾期）";

// An operand exactly as the command used it: the shortest text that reads
// back to the same double. Values that went through a text are 15-digit
// values already and print as such; an amount typed with more digits keeps
// them all, so the line still evaluates to its result.
std::string OperandText(double value) {
  std::array<char, 32> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  std::string text(buffer.data(), end);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

// A line for a money figure: its 15-digit value, and the field's text after
// it when the money format rounded the value.
WorkingLine MoneyLine(std::string_view field, std::string label, std::string expression,
                      double value, const std::string& fieldText) {
  WorkingLine line{field, std::move(label), std::move(expression), NumberToText(value), "", "", ""};
  if (ParseNumberStrict(fieldText) != Round15(value)) line.shown = fieldText;
  return line;
}

WorkingLine DayLine(std::string_view field, std::string label, std::chrono::year_month_day from,
                    std::chrono::year_month_day to, std::int32_t days) {
  std::string expression = from == to ? "" : IsoDateText(from) + " 至 " + IsoDateText(to);
  return {field, std::move(label), std::move(expression), IntegerToText(days), "", " 天", ""};
}

std::string RateExpression(double rate) {
  return Join({OperandText(rate), kDividedBy, OperandText(steps::kDailyRateDivisor)});
}

// The total adds the unrounded interests, so the figures as shown may miss
// it by a fen; then one line adds them as shown and says why they differ:
//   利息按显示相加 = 480.56 + 362.41 = 842.97，合计 842.96 按未舍入的利息相加
std::optional<WorkingLine> ShownSumLine(const FieldValues& f) {
  try {
    const double normal = ParseNumberStrict(f.zclx);
    const double late = ParseNumberStrict(f.yqlx);
    const double amount = steps::Amount(f);
    const double sum =
        f.zjlx ? steps::Add(normal, late) : steps::Add(steps::Add(late, amount), normal);
    const std::string shownSum = FormatTwoDecimals(NumberToSignedText(sum));
    if (shownSum == f.hj) return std::nullopt;
    std::string expression =
        f.zjlx ? Join({f.zclx, kPlus, f.yqlx})
               : Join({f.yqlx, kPlus, OperandText(amount), kPlus, f.zclx});
    return WorkingLine{"",
                       f.zjlx ? "利息按显示相加" : "本息按显示相加",
                       std::move(expression),
                       NumberToText(sum),
                       "",
                       "",
                       "，合计 " + f.hj + " 按未舍入的利息相加"};
  } catch (const CalcError&) {
    return std::nullopt;  // the figures shown are not all numbers to add
  }
}

std::optional<std::vector<WorkingLine>> Lines(const FieldValues& f) {
  const bool overdue = steps::IsOverdue(f);
  const steps::DayCounts days = steps::CountDays(f);
  const steps::Interest normal = steps::NormalInterest(f);
  const steps::Interest late = steps::OverdueInterest(f);

  // The command adds the interests as written before the money format.
  FieldValues unformatted = f;
  unformatted.zclx = NumberToSignedText(normal.value);
  unformatted.yqlx = NumberToSignedText(late.value);
  const double total = f.zjlx ? steps::InterestOnlyTotal(unformatted)
                              : steps::PrincipalAndInterestTotal(unformatted);

  const bool yqllMatches =
      f.yqll == (overdue ? NumberToSignedText(steps::OverdueRate(f)) : std::string("0"));
  if (!yqllMatches || f.zcts != IntegerToText(days.normal) ||
      f.yqts != IntegerToText(days.overdue) || f.zclx != FormatTwoDecimals(unformatted.zclx) ||
      f.yqlx != FormatTwoDecimals(unformatted.yqlx) ||
      f.hj != FormatTwoDecimals(NumberToSignedText(total))) {
    return std::nullopt;  // not the fields of one run
  }

  std::vector<WorkingLine> lines;
  lines.push_back({"", "日利率", RateExpression(normal.rate), NumberToText(normal.dailyRate), "",
                   "", ""});
  if (overdue) {
    lines.push_back({"yqll", "逾期利率(‰)",
                     Join({OperandText(normal.rate), kTimes, OperandText(steps::kOverdueRateFactor)}),
                     NumberToText(late.rate), "", "", ""});
  } else {
    lines.push_back({"yqll", "逾期利率(‰)", "", "0", "", "", std::string(kNotOverdue)});
  }
  lines.push_back({"", "逾期日利率", RateExpression(late.rate), NumberToText(late.dailyRate), "",
                   "", ""});

  WorkingLine normalDays = DayLine("zcts", "正常天数", days.normalFrom, days.normalTo, days.normal);
  WorkingLine overdueDays =
      DayLine("yqts", "逾期天数", days.overdueFrom, days.overdueTo, days.overdue);
  if (days.startsAfterDue) {
    normalDays.note = "（起息日期晚于到期日期）";
    overdueDays.note = "（自起息日期起算）";
  } else if (!overdue) {
    overdueDays.note = kNotOverdue;
  }

  lines.push_back(std::move(normalDays));
  lines.push_back(MoneyLine("zclx", "正常利息",
                            Join({OperandText(normal.amount), kTimes, OperandText(normal.dailyRate),
                                  kTimes, OperandText(normal.days)}),
                            normal.value, f.zclx));
  lines.push_back(std::move(overdueDays));
  lines.push_back(MoneyLine("yqlx", "逾期利息",
                            Join({OperandText(late.days), kTimes, "(", OperandText(late.amount),
                                  kTimes, OperandText(late.dailyRate), ")"}),
                            late.value, f.yqlx));
  if (!overdue && !days.startsAfterDue) lines.back().note = kNotOverdue;

  const std::string normalText = OperandText(ParseLeadingNumber(unformatted.zclx));
  const std::string lateText = OperandText(ParseLeadingNumber(unformatted.yqlx));
  if (f.zjlx) {
    lines.push_back(
        MoneyLine("hj", "利息合计", Join({normalText, kPlus, lateText}), total, f.hj));
  } else {
    lines.push_back(MoneyLine(
        "hj", "本息合计",
        Join({lateText, kPlus, OperandText(steps::Amount(f)), kPlus, normalText}), total,
        f.hj));
  }
  if (std::optional<WorkingLine> shownSum = ShownSumLine(f)) lines.push_back(std::move(*shownSum));
  return lines;
}

bool MadeATotal(const FieldValues& f) {
  if (f.hj.empty() || !f.hjVisible) return false;
  if (f.zjlx) return f.l1Caption == kInterestTotalCaption;
  if (f.hbjx) return f.l1Caption == kPrincipalAndInterestCaption;
  return false;
}

}  // namespace

std::string WorkingLine::Text() const {
  std::string text = label + " = ";
  if (!expression.empty()) text += expression + " = ";
  text += value + unit;
  if (!shown.empty()) text += " ≈ " + shown;
  return text + note;
}

std::optional<std::vector<WorkingLine>> Working(const FieldValues& fields) {
  if (!MadeATotal(fields)) return std::nullopt;
  try {
    return Lines(fields);
  } catch (const CalcError&) {
    return std::nullopt;  // the inputs no longer give a total
  }
}

std::string WorkingText(const std::vector<WorkingLine>& lines) {
  std::string text;
  for (const WorkingLine& line : lines) {
    if (!text.empty()) text += '\n';
    text += line.Text();
  }
  return text;
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
