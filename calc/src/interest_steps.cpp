#include "interest_steps.h"

#include <cmath>

#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"
#include "quillbary/calendar.h"
#include "quillbary/number_format.h"
#include "quillbary/number_parse.h"
#include "quillbary/typed_number.h"

namespace quillbary::steps {
namespace {

double Checked(double result) {
  if (!std::isfinite(result)) throw CalcError(ErrorCode::kOverflow);
  return result;
}

double ReadInput(const std::string& typed, TypedField field, std::string_view name) {
  try {
    return ReadTypedNumber(typed, field);
  } catch (const CalcError& error) {
    throw FieldError(error.code(), name);
  }
}

}  // namespace

double Amount(const FieldValues& f) {
  return ReadInput(f.hkje, TypedField::kAmount, "hkje");
}
double Rate(const FieldValues& f) {
  return ReadInput(f.ll, TypedField::kRate, "ll");
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

bool IsOverdue(const FieldValues& f) {
  return f.hkrq > f.dqrq;
}

double OverdueRate(const FieldValues& f) {
  return Round15(Multiply(Rate(f), kOverdueRateFactor));
}

DayCounts CountDays(const FieldValues& f) {
  DayCounts d;
  if (!IsOverdue(f)) {
    d.normalFrom = f.qxrq;
    d.normalTo = f.hkrq;
    d.overdueFrom = d.overdueTo = f.hkrq;
  } else {
    d.normalFrom = f.qxrq;
    d.normalTo = f.dqrq;
    d.overdueFrom = f.dqrq;
    d.overdueTo = f.hkrq;
  }
  if (f.qxrq > f.dqrq) {
    d.startsAfterDue = true;
    d.normalFrom = d.normalTo = f.qxrq;
    d.overdueFrom = f.qxrq;
    d.overdueTo = f.hkrq;
  }
  d.normal = DayDifference(d.normalFrom, d.normalTo);
  d.overdue = DayDifference(d.overdueFrom, d.overdueTo);
  return d;
}

Interest NormalInterest(const FieldValues& f) {
  Interest i;
  i.rate = Rate(f);
  i.dailyRate = Round15(Divide(i.rate, kDailyRateDivisor));
  i.days = ParseLeadingNumber(f.zcts);
  i.amount = Amount(f);
  i.product = Multiply(i.amount, i.dailyRate);
  i.value = Multiply(i.product, i.days);
  return i;
}

Interest OverdueInterest(const FieldValues& f) {
  Interest i;
  i.rate = ParseNumberStrict(f.yqll);
  i.dailyRate = Round15(Divide(i.rate, kDailyRateDivisor));
  i.amount = Amount(f);
  i.days = ParseNumberStrict(f.yqts);
  i.product = Multiply(i.amount, i.dailyRate);
  i.value = Multiply(i.days, i.product);
  return i;
}

double InterestOnlyTotal(const FieldValues& f) {
  return Add(ParseLeadingNumber(f.zclx), ParseLeadingNumber(f.yqlx));
}

double PrincipalAndInterestTotal(const FieldValues& f) {
  return Add(Add(ParseLeadingNumber(f.yqlx), Amount(f)),
             ParseLeadingNumber(f.zclx));
}

}  // namespace quillbary::steps
