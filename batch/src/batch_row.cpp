#include "quillbary/batch_row.h"

#include <string>
#include <variant>
#include <vector>

#include "quillbary/batch_date.h"
#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"
#include "quillbary/field_values.h"
#include "quillbary/statement.h"
#include "figure_text.h"

namespace quillbary::batch {
namespace {

using detail::PlainDecimal;
using detail::PlainMoney;

constexpr std::string_view kJoiner = "；";
constexpr std::string_view kInterestOnly = "只结利息";
constexpr std::string_view kPrincipalAndInterest = "还本结息";

void Append(std::string& list, std::string_view item) {
  if (!list.empty()) list += kJoiner;
  list += item;
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The status of a run that raised no error, from what the run came to, as
// the window decides whether its figures can be handed on: a total made
// from dates in order.
RowStatus StatusOf(const CalculateOutcome& outcome) {
  if (!outcome.madeATotal) return RowStatus::kNotCalculated;
  return outcome.dateWarning.empty() ? RowStatus::kCalculated : RowStatus::kDateOrder;
}

// The caption without its spacing: " 利息  合计" -> "利息合计".
std::string CaptionText(std::string_view caption) {
  std::string out;
  for (char c : caption) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

}  // namespace

RowOutcome CalculateRow(const BatchRowInput& row) {
  RowOutcome outcome;
  std::string& error = outcome.cells[kError];
  FieldValues fields;

  struct DateCell {
    std::string_view column;
    std::string_view cell;
    std::chrono::year_month_day* field;
  };
  const DateCell dates[] = {{"借款日期", row.loanDate, &fields.jkrq},
                            {"到期日期", row.dueDate, &fields.dqrq},
                            {"还款日期", row.repaymentDate, &fields.hkrq},
                            {"起息日期", row.startDate, &fields.qxrq}};
  for (const DateCell& date : dates) {
    const auto read = ReadBatchDate(date.cell);
    if (const auto* day = std::get_if<std::chrono::year_month_day>(&read)) {
      *date.field = *day;
    } else {
      Append(error, DateProblemText(date.column, date.cell, std::get<DateProblem>(read)));
    }
  }
  const std::string_view method = Trimmed(row.method);
  fields.zjlx = method == kInterestOnly;
  fields.hbjx = method == kPrincipalAndInterest;
  if (!method.empty() && !fields.zjlx && !fields.hbjx) {
    Append(error, "还款方式“" + std::string(row.method) + "”应为只结利息、还本结息或空");
  }
  if (!error.empty()) {
    outcome.cells[kStatus] = StatusWord(outcome.status);
    return outcome;
  }

  fields.hkje = row.amount;
  fields.ll = row.rate;
  std::vector<std::string> warnings;
  try {
    const CalculateOutcome run = CalculateWithOutcome(
        fields, [&](std::string_view text) { warnings.emplace_back(text); });
    outcome.status = StatusOf(run);
    // A run that made no total stopped at, or ended with, the warning that
    // says why: an amount or rate missing or refused stops it there, and no
    // method is the last thing it warns of.
    if (outcome.status == RowStatus::kNotCalculated && !warnings.empty()) {
      error = std::move(warnings.back());
      warnings.pop_back();
    }
  } catch (const CalcError& e) {
    error = ErrorReportLine(e.code());
  }
  for (const std::string& warning : warnings) Append(outcome.cells[kWarnings], warning);
  outcome.cells[kNormalDays] = PlainDecimal(fields.zcts);
  outcome.cells[kNormalInterest] = PlainMoney(fields.zclx);
  outcome.cells[kOverdueDays] = PlainDecimal(fields.yqts);
  outcome.cells[kOverdueRate] = PlainDecimal(fields.yqll);
  outcome.cells[kOverdueInterest] = PlainMoney(fields.yqlx);
  if (outcome.status != RowStatus::kNotCalculated) {
    outcome.interestOnly = fields.zjlx;
    outcome.cells[kTotalCaption] = CaptionText(fields.l1Caption);
    outcome.cells[kTotal] = PlainMoney(fields.hj);
    outcome.cells[kTotalInCapitals] = TotalInCapitals(fields.hj);
  }
  outcome.cells[kStatus] = StatusWord(outcome.status);
  return outcome;
}

std::string_view StatusWord(RowStatus status) {
  switch (status) {
    case RowStatus::kCalculated:
      return "已算出";
    case RowStatus::kDateOrder:
      return "日期有误";
    case RowStatus::kNotCalculated:
      break;
  }
  return "未算出";
}

}  // namespace quillbary::batch
