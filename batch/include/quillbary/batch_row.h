// One row of a batch file: the window's Calculate over the row's values.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quillbary::batch {

// The inputs a row gives, as the cells' texts.
struct BatchRowInput {
  std::string_view loanDate;       // 借款日期
  std::string_view dueDate;        // 到期日期
  std::string_view repaymentDate;  // 还款日期
  std::string_view startDate;      // 起息日期
  std::string_view amount;         // 还款金额
  std::string_view rate;           // 月利率(‰)
  std::string_view method;         // 还款方式
};

// The columns a row's results add to the file, in this order.
inline constexpr std::array<std::string_view, 10> kResultColumns = {
    "正常天数", "正常利息", "逾期天数", "逾期利率(‰)", "逾期利息",
    "合计名称", "合计",     "合计大写", "提示",        "错误"};

// Indexes into kResultColumns.
enum ResultColumn : std::size_t {
  kNormalDays,
  kNormalInterest,
  kOverdueDays,
  kOverdueRate,
  kOverdueInterest,
  kTotalCaption,
  kTotal,
  kTotalInCapitals,
  kWarnings,
  kError,
};

// The columns that hold a figure of the window (days, rates, money).
inline constexpr bool IsFigureColumn(std::size_t column) {
  return column <= kOverdueInterest || column == kTotal;
}

using ResultCells = std::array<std::string, kResultColumns.size()>;

struct RowOutcome {
  ResultCells cells;
  bool hasTotal = false;
};

// What a window just opened shows after the row's dates, amount, rate and
// method are set and 开始计算 is pressed:
// - the figures as the fields show them, without the blank the signed
//   column keeps before a positive number ("7.965", not " 7.965");
// - 合计名称 利息合计 or 本息合计 and the total's capitals when a total shows;
// - the warnings in the order they arose, joined by "；";
// - the error report as the window's box words it ("运行时错误 '13': 类型不匹配"),
//   with the figures written before the error kept.
// A date cell that gives no date, or a method other than 只结利息, 还本结息 or
// empty, is the row's error, and nothing is calculated.
//
// Worked example: 2009-01-01, 2009-07-01, 2009-09-30, 2009-01-01, "10000",
// "5.31", 只结利息 -> 181, 320.37, 91, 7.965, 241.61, 利息合计, 561.98,
// 伍佰陆拾壹元玖角捌分, no warning, no error.
RowOutcome CalculateRow(const BatchRowInput& row);

}  // namespace quillbary::batch
