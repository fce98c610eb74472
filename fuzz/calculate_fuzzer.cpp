// The whole Calculate on fuzzed dates, texts and method: only the two typed
// errors, only the known warnings, an amount or rate that is not a number
// stopped before anything is written, the same run from the inputs' plain
// number texts, day counts equal to the calendar differences, money fields in
// their final format, and the same fields and warnings from a second run, on
// the same fields or on its own output.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_properties.h"
#include "quillbary/calculate.h"
#include "quillbary/calendar.h"
#include "quillbary/number_format.h"
#include "quillbary/number_parse.h"
#include "quillbary/typed_number.h"
#include "quillbary/working.h"

using namespace quillbary;
using namespace quillbary::fuzz;

namespace {

constexpr std::array<std::string_view, 7> kKnownWarnings = {
    warning::kEnterAmount,         warning::kEnterRate,       warning::kDueBeforeLoan,
    warning::kRepaymentBeforeLoan, warning::kStartBeforeLoan, warning::kStartAfterRepayment,
    warning::kChooseMethod};

// Reads the input from the front: fixed-size fields, then texts separated by
// a zero byte.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // A date of the pickers' range and its day number counted from the first
  // date, taken from three bytes.
  std::pair<std::chrono::year_month_day, std::int32_t> Date() {
    const std::int32_t days = static_cast<std::int32_t>(Byte() | Byte() << 8 | Byte() << 16) %
                              (DayDifference(kFirstDate, kLastDate) + 1);
    return {
        std::chrono::year_month_day{std::chrono::sys_days{kFirstDate} + std::chrono::days{days}},
        days};
  }
  std::uint32_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string Text() {
    std::string text;
    while (pos_ < size_ && data_[pos_] != 0) text += static_cast<char>(data_[pos_++]);
    if (pos_ < size_) ++pos_;
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

struct Outcome {
  FieldValues fields;
  std::vector<std::string> warnings;
  int error = 0;
  bool operator==(const Outcome&) const = default;
};

Outcome Run(FieldValues fields) {
  Outcome outcome;
  try {
    Calculate(fields, [&](std::string_view text) { outcome.warnings.emplace_back(text); });
  } catch (const CalcError& error) {
    outcome.error = static_cast<int>(error.code());
  }
  outcome.fields = std::move(fields);
  return outcome;
}

std::string Days(std::int32_t from, std::int32_t to) {
  return IntegerToText(to - from);
}

// Evaluates a working line's arithmetic left to right, with one level of
// parentheses: "91 × (10000 × 0.0002655)".
double Evaluate(std::string_view expression) {
  double outer = 0;
  double inner = 0;
  bool inParentheses = false;
  std::string_view pending = "+";  // the operator before the next number
  std::string_view outerPending;
  const auto apply = [](double a, std::string_view op, double b) {
    if (op == "×") return a * b;
    if (op == "÷") return a / b;
    return a + b;
  };
  while (!expression.empty()) {
    const std::size_t blank = expression.find(' ');
    std::string_view token = expression.substr(0, blank);
    expression = blank == std::string_view::npos ? "" : expression.substr(blank + 1);
    if (token == "×" || token == "÷" || token == "+") {
      pending = token;
      continue;
    }
    if (token.front() == '(') {
      inParentheses = true;
      outerPending = pending;
      pending = "+";
      inner = 0;
      token.remove_prefix(1);
    }
    const bool closes = token.back() == ')';
    if (closes) token.remove_suffix(1);
    const double number = ParseNumberStrict(token);
    if (inParentheses) {
      inner = apply(inner, pending, number);
    } else {
      outer = apply(outer, pending, number);
    }
    if (closes) {
      inParentheses = false;
      outer = apply(outer, outerPending, inner);
    }
  }
  return outer;
}

// Whether every number in "91 × (10000 × 0.0002655)" has at most 15
// significant digits.
bool EveryOperandHas15Digits(std::string_view expression) {
  while (!expression.empty()) {
    const std::size_t blank = expression.find(' ');
    std::string_view token = expression.substr(0, blank);
    expression = blank == std::string_view::npos ? "" : expression.substr(blank + 1);
    if (SignificantDigits(token) > 15) return false;
  }
  return true;
}

const std::string& FieldText(const FieldValues& f, std::string_view field) {
  if (field == "yqll") return f.yqll;
  if (field == "zcts") return f.zcts;
  if (field == "yqts") return f.yqts;
  if (field == "zclx") return f.zclx;
  if (field == "yqlx") return f.yqlx;
  return f.hj;
}

// Each line of the working shows figures that its own arithmetic gives, and
// the figure its field holds.
void CheckWorking(const FieldValues& after, bool madeATotal) {
  const std::optional<std::vector<WorkingLine>> lines = Working(after);
  Require(lines.has_value() == madeATotal, "a working exactly for a run that made a total");
  if (!lines) return;
  // An amount or a rate typed with more than 15 digits is shown with them all.
  const double amount = ParseLeadingNumber(after.hkje);
  const double rate = ParseNumberStrict(after.ll);
  const bool typedWith15Digits = Round15(amount) == amount && Round15(rate) == rate;
  for (const WorkingLine& line : *lines) {
    const bool isDayCount = line.expression.find(" 至 ") != std::string::npos || !line.unit.empty();
    if (!isDayCount && !line.expression.empty()) {
      Require(NumberToText(Evaluate(line.expression)) == line.value,
              "a working line's arithmetic gives its value");
      if (typedWith15Digits) {
        Require(EveryOperandHas15Digits(line.expression),
                "a working line's operands are the 15-digit figures the command read back");
      }
    }
    if (line.field.empty()) continue;
    const std::string& field = FieldText(after, line.field);
    if (isDayCount) {
      Require(line.value == field, "a day line shows the field's count");
    } else if (line.field == "yqll") {
      Require(ParseNumberStrict(field) == ParseLeadingNumber(line.value),
              "the overdue rate line shows the field's rate");
    } else {
      Require(FormatTwoDecimals(line.value) == field && (line.shown.empty() || line.shown == field),
              "a money line rounds to the field's text");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  FieldValues fields;
  const auto [loan, loanDay] = input.Date();
  const auto [due, dueDay] = input.Date();
  const auto [repaid, repaidDay] = input.Date();
  const auto [start, startDay] = input.Date();
  fields.jkrq = loan;
  fields.dqrq = due;
  fields.hkrq = repaid;
  fields.qxrq = start;
  const std::uint32_t flags = input.Byte();
  fields.zjlx = (flags & 1) != 0;
  fields.hbjx = (flags & 2) != 0;
  fields.hkje = input.Text();
  fields.ll = input.Text();
  if ((flags & 4) != 0) fields.hj = input.Text();  // a total left by an earlier run
  const FieldValues before = fields;

  const Outcome outcome = Run(fields);
  const FieldValues& after = outcome.fields;
  Require(outcome.error == 0 || outcome.error == static_cast<int>(ErrorCode::kOverflow) ||
              outcome.error == static_cast<int>(ErrorCode::kTypeMismatch),
          "only the two typed errors");
  const std::string amountRefused = NotANumberWarning(TypedField::kAmount, before.hkje);
  const std::string rateRefused = NotANumberWarning(TypedField::kRate, before.ll);
  for (const std::string& text : outcome.warnings) {
    Require(std::find(kKnownWarnings.begin(), kKnownWarnings.end(), text) != kKnownWarnings.end() ||
                text == amountRefused || text == rateRefused,
            "only the known warnings");
  }
  Require(outcome.warnings.size() <= 2, "at most a date warning and the method warning");
  Require(Run(before) == outcome, "a second run on the same fields gives the same");
  Require(Run(after) == outcome, "a run on its own output changes nothing and warns the same");

  if (before.hkje.empty() || before.ll.empty()) {
    Require(after == before && outcome.warnings.size() == 1, "an empty input only warns");
    return 0;
  }
  const std::optional<std::string> plainAmount = PlainNumberText(before.hkje, TypedField::kAmount);
  const std::optional<std::string> plainRate = PlainNumberText(before.ll, TypedField::kRate);
  if (!plainAmount || !plainRate) {
    Require(after == before && outcome.warnings.size() == 1 && outcome.error == 0,
            "an amount or rate that is not a number only warns");
    return 0;
  }
  Require(outcome.error != static_cast<int>(ErrorCode::kTypeMismatch),
          "accepted inputs raise no type mismatch");
  {
    FieldValues plain = before;
    plain.hkje = *plainAmount;
    plain.ll = *plainRate;
    Outcome fromPlain = Run(plain);
    fromPlain.fields.hkje = before.hkje;
    fromPlain.fields.ll = before.ll;
    Require(fromPlain == outcome, "the inputs run as the numbers of their digits");
  }

  // The day counts, from the day numbers the dates were made from.
  if (!after.zcts.empty() && outcome.error == 0) {
    std::string normalDays;
    std::string overdueDays;
    if (startDay > dueDay) {
      normalDays = "0";
      overdueDays = Days(startDay, repaidDay);
    } else if (repaidDay <= dueDay) {
      normalDays = Days(startDay, repaidDay);
      overdueDays = "0";
    } else {
      normalDays = Days(startDay, dueDay);
      overdueDays = Days(dueDay, repaidDay);
    }
    Require(after.zcts == normalDays, "normal days are the calendar difference");
    Require(after.yqts == overdueDays, "overdue days are the calendar difference");
  }

  if (outcome.error == 0) {
    for (const std::string* money : {&after.zclx, &after.yqlx, &after.hj}) {
      Require(FormatTwoDecimals(*money) == *money, "money fields are in their final format");
    }
    Require(after.hjVisible == (!after.hj.empty() || before.hjVisible), "the total shows when set");
    Require(after.l2Visible == !after.hjVisible, "the notice gives way to the total");
  }
  CheckWorking(after, outcome.error == 0 && (after.zjlx || after.hbjx));
  return 0;
}
