#include "quillbary/calculate.h"

#include "interest_steps.h"
#include "quillbary/number_format.h"

namespace quillbary {
namespace {

// The first date that is out of order, if any.
const std::string_view* DateOrderWarning(const FieldValues& f) {
  if (f.jkrq > f.dqrq) return &warning::kDueBeforeLoan;
  if (f.hkrq < f.jkrq) return &warning::kRepaymentBeforeLoan;
  if (f.qxrq < f.jkrq) return &warning::kStartBeforeLoan;
  if (f.qxrq > f.hkrq) return &warning::kStartAfterRepayment;
  return nullptr;
}

}  // namespace

bool Calculate(FieldValues& f, const WarningSink& warn) {
  if (f.hkje.empty()) {
    warn(warning::kEnterAmount);
    return false;
  }
  if (f.ll.empty()) {
    warn(warning::kEnterRate);
    return false;
  }
  if (const std::string_view* text = DateOrderWarning(f)) warn(*text);

  f.yqll = steps::IsOverdue(f) ? NumberToSignedText(steps::OverdueRate(f)) : "0";

  const steps::DayCounts days = steps::CountDays(f);
  f.zcts = IntegerToText(days.normal);
  f.yqts = IntegerToText(days.overdue);

  f.zclx = NumberToSignedText(steps::NormalInterest(f).value);
  f.yqlx = NumberToSignedText(steps::OverdueInterest(f).value);

  if (f.zjlx) {
    f.l1Caption = kInterestTotalCaption;
    f.hj = NumberToSignedText(steps::InterestOnlyTotal(f));
  } else if (f.hbjx) {
    f.l1Caption = kPrincipalAndInterestCaption;
    f.hj = NumberToSignedText(steps::PrincipalAndInterestTotal(f));
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
  return f.zjlx || f.hbjx;
}

}  // namespace quillbary
