// The record of the window's field values, shared by the Calculate and Clear
// commands and by the window that moves values in and out of its controls.
#pragma once

#include <chrono>
#include <string>

namespace quillbary {

// The date every picker shows when the window opens.
inline constexpr std::chrono::year_month_day kPickerStartDate{
    std::chrono::year{2005}, std::chrono::January, std::chrono::day{1}};

// Every field the commands read or write, named after its control. Texts
// are UTF-8. A new record holds what the window holds when it opens.
struct FieldValues {
  std::chrono::year_month_day jkrq = kPickerStartDate;  // loan date (借款日期)
  std::chrono::year_month_day dqrq = kPickerStartDate;  // due date (到期日期)
  std::chrono::year_month_day hkrq = kPickerStartDate;  // repayment date (还款日期)
  std::chrono::year_month_day qxrq = kPickerStartDate;  // interest start date (起息日期)
  std::string hkje;                                     // amount repaid (还款金额)
  std::string ll;                                       // monthly rate in per mille (利率)
  std::string zcts;                                     // normal days (正常天数)
  std::string zclx;                                     // normal interest (正常利息)
  std::string yqts;                                     // overdue days (逾期天数)
  std::string yqll;                                     // overdue rate in per mille (逾期利率)
  std::string yqlx;                                     // overdue interest (逾期利息)
  std::string hj;                                       // total (合计)
  bool zjlx = false;       // method: settle the interest only (只结利息)
  bool hbjx = false;       // method: repay principal and interest (还本结息)
  std::string l1Caption;   // caption of the total
  bool l1Visible = false;  // the total's caption
  bool l2Visible = true;   // the notice shown while there is no total
  bool hjVisible = false;  // the total

  bool operator==(const FieldValues&) const = default;
};

}  // namespace quillbary
