#include "quillbary/batch_row.h"

#include <string>
#include <variant>

#include "quillbary/batch_date.h"
#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"
#include "quillbary/field_values.h"
#include "quillbary/money_capitals.h"

namespace quillbary::batch {
namespace {

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

// The field's text without the blank the signed column keeps before a
// positive number.
std::string Figure(const std::string& field) {
  return field.starts_with(' ') ? field.substr(1) : field;
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
  if (!error.empty()) return outcome;

  fields.hkje = row.amount;
  fields.ll = row.rate;
  try {
    Calculate(fields, [&](std::string_view text) { Append(outcome.cells[kWarnings], text); });
  } catch (const CalcError& e) {
    error = ErrorReportLine(e.code());
  }
  outcome.cells[kNormalDays] = Figure(fields.zcts);
  outcome.cells[kNormalInterest] = Figure(fields.zclx);
  outcome.cells[kOverdueDays] = Figure(fields.yqts);
  outcome.cells[kOverdueRate] = Figure(fields.yqll);
  outcome.cells[kOverdueInterest] = Figure(fields.yqlx);
  if (fields.hjVisible && !fields.hj.empty()) {
    outcome.hasTotal = true;
    outcome.cells[kTotalCaption] = CaptionText(fields.l1Caption);
    outcome.cells[kTotal] = Figure(fields.hj);
    outcome.cells[kTotalInCapitals] = MoneyInCapitals(fields.hj).value_or("");
  }
  return outcome;
}

}  // namespace quillbary::batch
