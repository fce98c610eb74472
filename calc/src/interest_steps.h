// The arithmetic of the Calculate command, one function a step, each reading
// the field texts it needs in the command's own order. Calculate writes what
// they give; the working re-runs them to show how each figure came about.
#pragma once

#include <chrono>
#include <cstdint>

#include "quillbary/field_values.h"

namespace quillbary::steps {

inline constexpr double kOverdueRateFactor = 1.5;
// Per mille (1000) times a 30-day month.
inline constexpr double kDailyRateDivisor = 30000;

// Checked arithmetic: a result beyond the double range (or not a number) is
// the overflow error, never an infinity carried into a text.
double Multiply(double a, double b);
double Divide(double a, double b);
double Add(double a, double b);

// The amount and the rate as the clerk typed them, read by the typed-number
// rule: "10,000" is 10000. Raise FieldError naming hkje or ll for an input
// the rule refuses (kTypeMismatch) or one beyond the double range.
double Amount(const FieldValues& f);
double Rate(const FieldValues& f);

// Repaid after the due date.
bool IsOverdue(const FieldValues& f);

// The overdue rate of an overdue loan: Round15(rate * 1.5).
double OverdueRate(const FieldValues& f);

// The two day counts and the dates each is counted between.
struct DayCounts {
  std::chrono::year_month_day normalFrom, normalTo;  // equal when there are none
  std::int32_t normal = 0;
  std::chrono::year_month_day overdueFrom, overdueTo;
  std::int32_t overdue = 0;
  bool startsAfterDue = false;  // interest starts after the due date: no normal days
};
DayCounts CountDays(const FieldValues& f);

// One interest: amount * daily rate, then times the days.
struct Interest {
  double rate = 0;       // the rate read from its field, per mille a month
  double dailyRate = 0;  // Round15(rate / 30000)
  double amount = 0;     // the amount read from hkje
  double days = 0;       // the days read from their field
  double product = 0;    // amount * dailyRate
  double value = 0;      // the interest
};
// (amount * Round15(ll / 30000)) * zcts; zcts read leniently.
Interest NormalInterest(const FieldValues& f);
// yqts * (amount * Round15(yqll / 30000)); yqll and yqts read strictly.
Interest OverdueInterest(const FieldValues& f);

// The totals, from the interests' texts as written (before the money format).
double InterestOnlyTotal(const FieldValues& f);            // zclx + yqlx
double PrincipalAndInterestTotal(const FieldValues& f);    // (yqlx + amount) + zclx

}  // namespace quillbary::steps
