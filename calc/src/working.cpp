#include "quillbary/working.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "interest_steps.h"
#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"
#include "quillbary/calendar.h"
#include "quillbary/number_format.h"
#include "quillbary/number_parse.h"

namespace quillbary {
namespace {

constexpr std::string_view kTimes = " × ";
constexpr std::string_view kDividedBy = " ÷ ";
constexpr std::string_view kPlus = " + ";
constexpr std::string_view kNotOverdue = "（未逾期）";

// An operand exactly as the command used it. Values that went through a
// text are 15-digit values and print in their 15-digit form, as the field
// showed them: "-6.26906507252699E+16", not the 17 digits
// "-62690650725269904" of the double that holds it. Any other value (an
// amount typed with more digits) prints as the shortest text that reads back
// to it, so the line still evaluates to its result.
std::string OperandText(double value) {
  std::string fifteen = NumberToText(value);
  if (TryParseNumberStrict(fifteen) == value) return fifteen;
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

// The command's steps re-run on the fields: the figures it computed, before
// the money format rounded any of them.
struct Rerun {
  bool overdue = false;
  steps::DayCounts days;
  steps::Interest normal;
  steps::Interest late;
  std::string normalText;  // the interests as the command wrote them before
  std::string lateText;    // the money format, which the total adds
  double total = 0;
};

Rerun RerunSteps(const FieldValues& f) {
  Rerun run;
  run.overdue = steps::IsOverdue(f);
  run.days = steps::CountDays(f);
  run.normal = steps::NormalInterest(f);
  run.late = steps::OverdueInterest(f);

  FieldValues unformatted = f;
  unformatted.zclx = run.normalText = NumberToSignedText(run.normal.value);
  unformatted.yqlx = run.lateText = NumberToSignedText(run.late.value);
  run.total = f.zjlx ? steps::InterestOnlyTotal(unformatted)
                     : steps::PrincipalAndInterestTotal(unformatted);
  return run;
}

// True when every result field shows what the re-run gives, i.e. the fields
// are those one run left and not a mix of an old run and new inputs.
bool FromOneRun(const FieldValues& f, const Rerun& run) {
  const std::string yqll = run.overdue ? NumberToSignedText(steps::OverdueRate(f)) : "0";
  return f.yqll == yqll && f.zcts == IntegerToText(run.days.normal) &&
         f.yqts == IntegerToText(run.days.overdue) && f.zclx == FormatTwoDecimals(run.normalText) &&
         f.yqlx == FormatTwoDecimals(run.lateText) &&
         f.hj == FormatTwoDecimals(NumberToSignedText(run.total));
}

std::vector<WorkingLine> RateLines(const Rerun& run) {
  const steps::Interest& normal = run.normal;
  const steps::Interest& late = run.late;
  std::vector<WorkingLine> lines;
  lines.push_back(
      {"", "日利率", RateExpression(normal.rate), NumberToText(normal.dailyRate), "", "", ""});
  if (run.overdue) {
    lines.push_back(
        {"yqll", "逾期利率(‰)",
         Join({OperandText(normal.rate), kTimes, OperandText(steps::kOverdueRateFactor)}),
         NumberToText(late.rate), "", "", ""});
  } else {
    lines.push_back({"yqll", "逾期利率(‰)", "", "0", "", "", std::string(kNotOverdue)});
  }
  lines.push_back(
      {"", "逾期日利率", RateExpression(late.rate), NumberToText(late.dailyRate), "", "", ""});
  return lines;
}

// The lines of a run that `FromOneRun` accepted: the rates, then the days
// and interest of each period, then the total.
std::vector<WorkingLine> BuildLines(const FieldValues& f, const Rerun& run) {
  const steps::DayCounts& days = run.days;
  const steps::Interest& normal = run.normal;
  const steps::Interest& late = run.late;
  std::vector<WorkingLine> lines = RateLines(run);

  WorkingLine normalDays = DayLine("zcts", "正常天数", days.normalFrom, days.normalTo, days.normal);
  WorkingLine overdueDays =
      DayLine("yqts", "逾期天数", days.overdueFrom, days.overdueTo, days.overdue);
  if (days.startsAfterDue) {
    normalDays.note = "（起息日期晚于到期日期）";
    overdueDays.note = "（自起息日期起算）";
  } else if (!run.overdue) {
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
  if (!run.overdue && !days.startsAfterDue) lines.back().note = kNotOverdue;

  // The total adds the interests as read back from their unrounded texts.
  const std::string normalText = OperandText(ParseLeadingNumber(run.normalText));
  const std::string lateText = OperandText(ParseLeadingNumber(run.lateText));
  if (f.zjlx) {
    lines.push_back(
        MoneyLine("hj", "利息合计", Join({normalText, kPlus, lateText}), run.total, f.hj));
  } else {
    lines.push_back(MoneyLine(
        "hj", "本息合计",
        Join({lateText, kPlus, OperandText(steps::Amount(f)), kPlus, normalText}),
        run.total, f.hj));
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
    const Rerun run = RerunSteps(fields);
    if (!FromOneRun(fields, run)) return std::nullopt;
    return BuildLines(fields, run);
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

}  // namespace quillbary
