// The interest statement (计息单) a clerk hands on: the inputs and results as
// the window shows them, the total in capitals, the working, when it was
// made and lines to sign. Print, PDF, the clipboard and the working box all
// render this one record.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/field_values.h"

namespace quillbary {

inline constexpr std::string_view kStatementTitle = "还款利息计算单";
inline constexpr std::string_view kWorkingItem = "计算过程";
inline constexpr std::string_view kCapitalsItem = "合计大写";
inline constexpr std::string_view kMonthlyRateItem = "月利率";

struct StatementRow {
  std::string item;   // "正常利息"
  std::string value;  // the field's value as a voucher writes it: "320.37 元"
};

struct Statement {
  // The dates, 还款金额, 月利率(‰), 还款方式, the six results under their
  // captions, the total under its own caption ("利息合计" or "本息合计") and
  // 合计大写.
  std::vector<StatementRow> figures;
  std::vector<std::string> working;  // one line each
  StatementRow madeAt;               // 制表时间
  std::vector<std::string> signers;  // 经办人, 复核: a blank line each to sign
  // What stands on a signer's line when it is known (复核 done on the branch's
  // server, on a reprint), in the signers' order; blank when missing.
  std::vector<std::string> signatures;
};

// The statement of fields that a Calculate run with a total left, or nothing
// when Working(fields) gives none. `madeAt` is the moment of that run, as
// local time text.
//
// Each figure keeps exactly the value of its field, written as a voucher
// writes it: money with thousands separators, at least two decimals and
// 元; days with 天; rates with ‰ and without the field's leading blank. The
// amount and the rate are the values the calculation read from what was
// typed ("10000." -> "10,000.00 元"). A figure in exponent form stays in it
// ("1.5E+20 元"), and only zeros are ever added to a figure's digits.
//
// For the worked example with 只结利息 the figures read 借款日期 2009-01-01,
// 到期日期 2009-07-01, 还款日期 2009-09-30, 起息日期 2009-01-01, 还款金额
// "10,000.00 元", 月利率 "5.31‰", 还款方式 只结利息, 正常天数 "181 天",
// 正常利息 "320.37 元", 逾期天数 "91 天", 逾期利率 "7.965‰", 逾期利息
// "241.61 元", 利息合计 "561.98 元" and 合计大写 人民币伍佰陆拾壹元玖角捌分. A
// total that has no capitals (one in exponent form, or above the largest
// amount the capitals name) says so.
std::optional<Statement> MakeStatement(const FieldValues& fields, std::string madeAt);

// The total's money text in capitals as the statement words it:
// "561.98" -> "人民币伍佰陆拾壹元玖角捌分"; a total without capitals ("1E+16",
// or above the largest amount MoneyInCapitals names) ->
// "（金额超出大写的范围，不写大写）".
std::string TotalInCapitals(std::string_view total);

// The statement as plain text, one `项目：值` a line after the title, and the
// working's lines indented under one 计算过程 heading:
//   还款利息计算单
//   借款日期：2009-01-01
//   …
//   合计大写：人民币伍佰陆拾壹元玖角捌分
//   计算过程：
//     日利率 = 5.31 ÷ 30000 = 0.000177
//     …
//     利息合计 = 320.37 + 241.605 = 561.975 ≈ 561.98
//   制表时间：2026-12-08 09:30:00
//   经办人：
//   复核：
std::string StatementText(const Statement& statement);

}  // namespace quillbary
