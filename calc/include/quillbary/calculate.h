// The Calculate command (the 开始计算 button): interest up to the due date at
// the contract rate, and overdue interest after it at 1.5 times that rate.
//
// Rates are monthly rates in per mille and a month counts as 30 days, so the
// daily rate is the per-mille rate divided by 30000.
//
// The command keeps nothing between runs and carries no number from one step
// to the next: each step reads the field texts it needs, writes its result as
// a text, and later steps read some of those texts back. The figures are
// those of the texts (15 significant digits), and the total adds the
// read-back interests before they are rounded to the fen.
#pragma once

#include <functional>
#include <string_view>

#include "quillbary/calc_error.h"
#include "quillbary/field_values.h"

namespace quillbary {

// The warnings, word for word as the clerk sees them.
namespace warning {
inline constexpr std::string_view kEnterAmount = "请输入还款金额！";
inline constexpr std::string_view kEnterRate = "请输入利率！";
inline constexpr std::string_view kDueBeforeLoan = "到款日期不能小于借款日期！";
inline constexpr std::string_view kRepaymentBeforeLoan = "还款日期不能小于借款日期！";
inline constexpr std::string_view kStartBeforeLoan = "起息日期为能小于借款日期！";
inline constexpr std::string_view kStartAfterRepayment = "起息日期不能大于还款日期！";
inline constexpr std::string_view kChooseMethod = "请选择还款方式！";
}  // namespace warning

// The captions of the total.
inline constexpr std::string_view kInterestTotalCaption = " 利息  合计";
inline constexpr std::string_view kPrincipalAndInterestCaption = " 本息  合计";

// Receives each warning as it arises. The command goes on only when the
// callback returns, so a window shows the warning modally from here.
using WarningSink = std::function<void(std::string_view text)>;

// What a run came to besides the fields, so that a window can put the clerk
// where to look next.
struct CalculateOutcome {
  // The run set the total itself: a method was chosen and no warning stopped it.
  bool madeATotal = false;
  // The field the first warning names, as FieldValues names it: "hkje" or
  // "ll" for an amount or rate missing or refused, "dqrq", "hkrq" or "qxrq"
  // for the date the order warning is about, "zjlx" for the method; "" when
  // nothing warned.
  std::string_view warnedField;
  // The date-order warning the run gave (one of warning::kDueBeforeLoan ...
  // kStartAfterRepayment), or "": its figures stand, but from dates out of
  // order.
  std::string_view dateWarning;
};

// An error of the command while it read or worked out one field: which one,
// as FieldValues names it ("hkje", "yqll", "zclx", "hj", ...).
class FieldError : public CalcError {
 public:
  FieldError(ErrorCode code, std::string_view field) : CalcError(code), field_(field) {}
  std::string_view field() const noexcept { return field_; }

 private:
  std::string_view field_;
};

// Runs the command on `fields`, in place:
//  1. An exactly empty amount warns kEnterAmount and stops; an amount that
//     is not a number by the typed-number rule (typed_number.h; blanks
//     alone included) warns NotANumberWarning and stops.
//  2. The same for the rate: kEnterRate, or NotANumberWarning.
//  3. The first of these that holds warns, and the command goes on: the due
//     date before the loan date; the repayment date before the loan date;
//     the interest start before the loan date; the interest start after the
//     repayment date.
//  4. Overdue when repaid after the due date: yqll is the signed-column text
//     of Round15(rate * 1.5); otherwise "0".
//  5. zcts: days from the interest start to the repayment, or to the due
//     date when overdue; yqts: days from the due date to the repayment when
//     overdue, else "0". Interest starting after the due date makes zcts "0"
//     and yqts the days from the interest start to the repayment.
//  6. zclx = (amount * Round15(rate / 30000)) * zcts.
//  7. yqlx = yqts * (amount * Round15(yqll / 30000)).
//  8. Interest only (zjlx): hj = zclx + yqlx under kInterestTotalCaption.
//     Else principal and interest (hbjx): hj = (yqlx + amount) + zclx under
//     kPrincipalAndInterestCaption. Else warns kChooseMethod; hj and the
//     caption keep what they held.
//  9. zclx, yqlx and hj get the money format, in that order.
// 10. A nonempty hj hides l2 and shows hj and l1.
// The amount and the rate are read by the typed-number rule ("10,000" is
// 10000), the day counts leniently and the overdue rate strictly.
//
// Raises FieldError(kOverflow) for a number text or a product, quotient or
// sum beyond the double range, naming the field it arose in. The fields
// written before the error keep their new texts.
//
// Worked example: amount "10000", rate "5.31", loan and interest start
// 2009-01-01, due 2009-07-01, repaid 2009-09-30, zjlx: yqll " 7.965",
// zcts "181", yqts "91", zclx "320.37", yqlx "241.61" (241.605 rounded half
// away from zero), hj "561.98" (320.37 + 241.605) under " 利息  合计"; with
// hbjx, hj "10561.98" under " 本息  合计". Amount "10,000" gives the same.
CalculateOutcome CalculateWithOutcome(FieldValues& fields, const WarningSink& warn);

// The same run, telling only whether it set the total itself (a method was
// chosen and no warning stopped it): false when it stopped early or left the
// total as it was.
bool Calculate(FieldValues& fields, const WarningSink& warn);

// The caption of a field named as FieldValues names it, for telling the clerk
// where an error arose: "hkje" -> "还款金额", "zclx" -> "正常利息"; "" for a
// name that is no field's.
std::string_view FieldCaption(std::string_view field);

}  // namespace quillbary
