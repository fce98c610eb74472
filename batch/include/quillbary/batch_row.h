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
inline constexpr std::array<std::string_view, 11> kResultColumns = {
    "正常天数", "正常利息", "逾期天数", "逾期利率(‰)", "逾期利息", "合计名称",
    "合计",     "合计大写", "提示",     "错误",        "状态"};

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
  kStatus,
};

// The columns that hold a figure of the window, by what the figure is.
enum class FigureKind { kNone, kDays, kMoney, kRate };
inline constexpr FigureKind FigureOf(std::size_t column) {
  switch (column) {
    case kNormalDays:
    case kOverdueDays:
      return FigureKind::kDays;
    case kNormalInterest:
    case kOverdueInterest:
    case kTotal:
      return FigureKind::kMoney;
    case kOverdueRate:
      return FigureKind::kRate;
    default:
      return FigureKind::kNone;
  }
}

using ResultCells = std::array<std::string, kResultColumns.size()>;

// What became of a row, as its 状态 cell says:
// - kCalculated 已算出: a total the window lets the clerk hand on;
// - kDateOrder 日期有误: the window warned about the order of the dates; the
//   figures are the window's, but it gives no statement for them;
// - kNotCalculated 未算出: no total (a missing or refused amount or rate, no
//   method, a date cell that gives no date, an error of the calculation, a
//   ragged row); the reason stands in 错误.
enum class RowStatus { kNotCalculated, kCalculated, kDateOrder };

// The status's word: kCalculated -> "已算出".
std::string_view StatusWord(RowStatus status);

struct RowOutcome {
  ResultCells cells;
  RowStatus status = RowStatus::kNotCalculated;
  // Which total a row with one has: 利息合计 (只结利息), else 本息合计.
  bool interestOnly = false;
};

// What a window just opened shows after the row's dates, amount, rate and
// method are set and 开始计算 is pressed:
// - the figures with the values the fields show, written in plain decimal
//   (figure_text.h): money with two decimals ("780." is "780.00"), rates
//   and days as they are, with a zero before the point and no blank before
//   a positive number (" .6525" is "0.6525");
// - 合计名称 利息合计 or 本息合计 and the total's capitals as the statement
//   writes them (人民币…) when a total shows;
// - the warnings the run went on after, in the order they arose, joined by
//   "；";
// - in 错误 why there is no total: the warning that stopped the run or left
//   the total unmade (an empty or refused amount or rate, no method), or the
//   error report as the window's box words it ("运行时错误 '13': 类型不匹配"),
//   with the figures written before the error kept;
// - the status, decided from the run's outcome as the window decides
//   whether its total can be handed on.
// A date cell that gives no date, or a method other than 只结利息, 还本结息 or
// empty, is the row's error, and nothing is calculated.
//
// Worked example: 2009-01-01, 2009-07-01, 2009-09-30, 2009-01-01, "10000",
// "5.31", 只结利息 -> 181, 320.37, 91, 7.965, 241.61, 利息合计, 561.98,
// 人民币伍佰陆拾壹元玖角捌分, no warning, no error, 已算出. With the repayment
// date before the loan date: the warning 还款日期不能小于借款日期！, the
// window's figures (a negative total) and 日期有误. With the amount "5万": no
// figures, 错误 还款金额“5万”不是数字。… (the window's words) and 未算出.
RowOutcome CalculateRow(const BatchRowInput& row);

}  // namespace quillbary::batch
