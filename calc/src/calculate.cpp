#include "quillbary/calculate.h"

#include <cmath>

#include "quillbary/calc_error.h"
#include "quillbary/calendar.h"
#include "quillbary/number_format.h"
#include "quillbary/number_parse.h"

namespace quillbary {
namespace {

constexpr double kOverdueRateFactor = 1.5;
// Per mille (1000) times a 30-day month.
constexpr double kDailyRateDivisor = 30000;

// Every product, quotient and sum is checked: a result beyond the double
// range is the overflow error, never an infinity carried into a text.
double Checked(double result) {
  if (!std::isfinite(result)) throw CalcError(ErrorCode::kOverflow);
  return result;
}
double Multiply(double a, double b) {
  return Checked(a * b);
}
double Divide(double a, double b) {
  return Checked(a / b);
}
double Add(double a, double b) {
  return Checked(a + b);
}

std::string DaysText(std::chrono::year_month_day from, std::chrono::year_month_day to) {
  return IntegerToText(DayDifference(from, to));
}

// The first date that is out of order, if any.
const std::string_view* DateOrderWarning(const FieldValues& f) {
  if (f.jkrq > f.dqrq) return &warning::kDueBeforeLoan;
  if (f.hkrq < f.jkrq) return &warning::kRepaymentBeforeLoan;
  if (f.qxrq < f.jkrq) return &warning::kStartBeforeLoan;
  if (f.qxrq > f.hkrq) return &warning::kStartAfterRepayment;
  return nullptr;
}

}  // namespace

void Calculate(FieldValues& f, const WarningSink& warn) {
  if (f.hkje.empty()) {
    warn(warning::kEnterAmount);
    return;
  }
  if (f.ll.empty()) {
    warn(warning::kEnterRate);
    return;
  }
  if (const std::string_view* text = DateOrderWarning(f)) warn(*text);

  const bool overdue = f.hkrq > f.dqrq;
  f.yqll = overdue
               ? NumberToSignedText(Round15(Multiply(ParseNumberStrict(f.ll), kOverdueRateFactor)))
               : "0";

  if (!overdue) {
    f.zcts = DaysText(f.qxrq, f.hkrq);
    f.yqts = IntegerToText(0);
  } else {
    f.zcts = DaysText(f.qxrq, f.dqrq);
    f.yqts = DaysText(f.dqrq, f.hkrq);
  }
  if (f.qxrq > f.dqrq) {
    f.zcts = IntegerToText(0);
    f.yqts = DaysText(f.qxrq, f.hkrq);
  }

  {
    const double dailyRate = Round15(Divide(ParseNumberStrict(f.ll), kDailyRateDivisor));
    const double days = ParseLeadingNumber(f.zcts);
    const double amount = ParseLeadingNumber(f.hkje);
    f.zclx = NumberToSignedText(Multiply(Multiply(amount, dailyRate), days));
  }
  {
    const double dailyRate = Round15(Divide(ParseNumberStrict(f.yqll), kDailyRateDivisor));
    const double amount = ParseLeadingNumber(f.hkje);
    const double days = ParseNumberStrict(f.yqts);
    f.yqlx = NumberToSignedText(Multiply(days, Multiply(amount, dailyRate)));
  }

  if (f.zjlx) {
    f.l1Caption = kInterestTotalCaption;
    f.hj = NumberToSignedText(Add(ParseLeadingNumber(f.zclx), ParseLeadingNumber(f.yqlx)));
  } else if (f.hbjx) {
    f.l1Caption = kPrincipalAndInterestCaption;
    f.hj = NumberToSignedText(Add(Add(ParseLeadingNumber(f.yqlx), ParseLeadingNumber(f.hkje)),
                                  ParseLeadingNumber(f.zclx)));
  } else {
    warn(warning::kChooseMethod);
  }

  f.zclx = FormatTwoDecimals(f.zclx);
  f.yqlx = FormatTwoDecimals(f.yqlx);
  f.hj = FormatTwoDecimals(f.hj);

  if (!f.hj.empty()) {
    f.l2Visible = false;
    f.hjVisible = true;
    f.l1Visible = true;
  }
}

}  // namespace quillbary
