#include "quillbary/calculate.h"

#include <array>
#include <utility>

#include "interest_steps.h"
#include "quillbary/number_format.h"
#include "quillbary/typed_number.h"

namespace quillbary {
namespace {

struct DateOrder {
  std::string_view warning;
  std::string_view field;  // the date the warning is about
};

// The first date that is out of order, if any.
std::optional<DateOrder> DateOrderWarning(const FieldValues& f) {
  if (f.jkrq > f.dqrq) return DateOrder{warning::kDueBeforeLoan, "dqrq"};
  if (f.hkrq < f.jkrq) return DateOrder{warning::kRepaymentBeforeLoan, "hkrq"};
  if (f.qxrq < f.jkrq) return DateOrder{warning::kStartBeforeLoan, "qxrq"};
  if (f.qxrq > f.hkrq) return DateOrder{warning::kStartAfterRepayment, "qxrq"};
  return std::nullopt;
}

// Runs one step that works out `field`, naming that field in any error it
// raises that does not name one already.
template <class Step>
auto InField(std::string_view field, Step step) {
  try {
    return step();
  } catch (const FieldError&) {
    throw;
  } catch (const CalcError& error) {
    throw FieldError(error.code(), field);
  }
}

// The warning that stops the command for a missing or refused input, if any.
std::optional<std::string> InputWarning(const std::string& typed, TypedField field,
                                        std::string_view whenEmpty) {
  if (typed.empty()) return std::string(whenEmpty);
  if (!PlainNumberText(typed, field)) return NotANumberWarning(field, typed);
  return std::nullopt;
}

}  // namespace

CalculateOutcome CalculateWithOutcome(FieldValues& f, const WarningSink& warn) {
  CalculateOutcome outcome;
  if (auto text = InputWarning(f.hkje, TypedField::kAmount, warning::kEnterAmount)) {
    warn(*text);
    outcome.warnedField = "hkje";
    return outcome;
  }
  if (auto text = InputWarning(f.ll, TypedField::kRate, warning::kEnterRate)) {
    warn(*text);
    outcome.warnedField = "ll";
    return outcome;
  }
  if (const std::optional<DateOrder> order = DateOrderWarning(f)) {
    warn(order->warning);
    outcome.warnedField = order->field;
    outcome.dateWarning = order->warning;
  }

  f.yqll = InField("yqll", [&] {
    return steps::IsOverdue(f) ? NumberToSignedText(steps::OverdueRate(f)) : "0";
  });

  const steps::DayCounts days = steps::CountDays(f);
  f.zcts = IntegerToText(days.normal);
  f.yqts = IntegerToText(days.overdue);

  f.zclx = InField("zclx", [&] { return NumberToSignedText(steps::NormalInterest(f).value); });
  f.yqlx = InField("yqlx", [&] { return NumberToSignedText(steps::OverdueInterest(f).value); });

  if (f.zjlx) {
    f.l1Caption = kInterestTotalCaption;
    f.hj = InField("hj", [&] { return NumberToSignedText(steps::InterestOnlyTotal(f)); });
  } else if (f.hbjx) {
    f.l1Caption = kPrincipalAndInterestCaption;
    f.hj = InField("hj", [&] { return NumberToSignedText(steps::PrincipalAndInterestTotal(f)); });
  } else {
    warn(warning::kChooseMethod);
    if (outcome.warnedField.empty()) outcome.warnedField = "zjlx";
  }

  f.zclx = InField("zclx", [&] { return FormatTwoDecimals(f.zclx); });
  f.yqlx = InField("yqlx", [&] { return FormatTwoDecimals(f.yqlx); });
  f.hj = InField("hj", [&] { return FormatTwoDecimals(f.hj); });

  if (!f.hj.empty()) {
    f.l2Visible = false;
    f.hjVisible = true;
    f.l1Visible = true;
  }
  outcome.madeATotal = f.zjlx || f.hbjx;
  return outcome;
}

bool Calculate(FieldValues& fields, const WarningSink& warn) {
  return CalculateWithOutcome(fields, warn).madeATotal;
}

std::string_view FieldCaption(std::string_view field) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kCaptions{{
      {"jkrq", "借款日期"},
      {"dqrq", "到期日期"},
      {"hkrq", "还款日期"},
      {"qxrq", "起息日期"},
      {"hkje", "还款金额"},
      {"ll", "月利率(‰)"},
      {"zcts", "正常天数"},
      {"zclx", "正常利息"},
      {"yqts", "逾期天数"},
      {"yqll", "逾期利率(‰)"},
      {"yqlx", "逾期利息"},
      {"hj", "合计"},
      {"zjlx", "还款方式"},
      {"hbjx", "还款方式"},
  }};
  for (const auto& [name, caption] : kCaptions) {
    if (name == field) return caption;
  }
  return {};
}

}  // namespace quillbary
