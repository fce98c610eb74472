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

// Runs the command on `fields`, in place:
//  1. An exactly empty amount warns kEnterAmount and stops; a blank amount
//     is not empty.
//  2. An exactly empty rate warns kEnterRate and stops.
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
// Amounts and day counts are read leniently, rates strictly.
//
// Raises CalcError(kTypeMismatch) for a rate that is not a number (at step 4
// when overdue, else at step 6), and CalcError(kOverflow) for a number text or
// a product, quotient or sum beyond the double range. The fields written
// before the error keep their new texts.
//
// Returns true when the run set the total itself (a method was chosen and no
// warning stopped it), false when it stopped early or left the total as it
// was.
//
// Worked example: amount "10000", rate "5.31", loan and interest start
// 2009-01-01, due 2009-07-01, repaid 2009-09-30, zjlx: yqll " 7.965",
// zcts "181", yqts "91", zclx "320.37", yqlx "241.61" (241.605 rounded half
// away from zero), hj "561.98" (320.37 + 241.605) under " 利息  合计"; with
// hbjx, hj "10561.98" under " 本息  合计".
bool Calculate(FieldValues& fields, const WarningSink& warn);

}  // namespace quillbary
