// The working (计算过程) of a Calculate run that made a total: how each figure
// on screen came about, with the very numbers the command used.
//
// The working is read off the fields as the command left them. It re-runs
// the command's own steps on those fields, so every operand is the value the
// command read back from a text (15 significant digits) and every result is
// the unrounded product or sum before the money format. A field that the
// steps would not give again (the fields do not come from one run that made
// a total) yields no working at all, never a mix.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/field_values.h"

namespace quillbary {

// One line: `label = expression = value`, then `≈ shown` when the field
// shows the value rounded to the fen, then a note.
//
// For arithmetic lines the expression holds 15-digit number texts joined by
// " × ", " ÷ " and " + ", with one pair of parentheses where the command
// multiplies a product; evaluated left to right with the core's readers and
// checked arithmetic it gives `value` exactly. Day lines read
// "<from> 至 <to>" with ISO dates and the value is the day difference.
struct WorkingLine {
  std::string_view field;  // the field the line explains: "yqll", "zcts", ...; or "" for a rate
  std::string label;       // "正常利息"
  std::string expression;  // "10000 × 0.000177 × 181"
  std::string value;       // "320.37": the 15-digit text of the result
  std::string shown;       // the field's text when it rounds the value, else empty
  std::string unit;        // " 天" after a day count, else empty
  std::string note;        // why a figure is zero, else empty

  // "正常利息 = 10000 × 0.000177 × 181 = 320.37"
  std::string Text() const;
};

// The working of `fields` as a Calculate run that made a total leaves them,
// or nothing when they are not such a run's (no method, no total, or figures
// that the inputs do not give). Never raises an error.
//
// Worked example: amount "10000", rate "5.31", loan and interest start
// 2009-01-01, due 2009-07-01, repaid 2009-09-30, 只结利息:
//   日利率 = 5.31 ÷ 30000 = 0.000177
//   逾期利率(‰) = 5.31 × 1.5 = 7.965
//   逾期日利率 = 7.965 ÷ 30000 = 0.0002655
//   正常天数 = 2009-01-01 至 2009-07-01 = 181 天
//   正常利息 = 10000 × 0.000177 × 181 = 320.37
//   逾期天数 = 2009-07-01 至 2009-09-30 = 91 天
//   逾期利息 = 91 × (10000 × 0.0002655) = 241.605 ≈ 241.61
//   利息合计 = 320.37 + 241.605 = 561.975 ≈ 561.98
// With 还本结息 the last line is
//   本息合计 = 241.605 + 10000 + 320.37 = 10561.975 ≈ 10561.98
// Repaid on or before the due date, the overdue lines read
//   逾期利率(‰) = 0（未逾期）   逾期天数 = 0 天（未逾期）
// and interest starting after the due date counts every day as overdue:
//   正常天数 = 0 天（起息日期晚于到期日期）
//   逾期天数 = 2009-08-01 至 2009-09-30 = 60 天（自起息日期起算）
// The total adds the unrounded interests; where the interests as the fields
// show them add up to another total (an amount of 15000: 480.56 and 362.41,
// total 842.96), one last line says so:
//   利息按显示相加 = 480.56 + 362.41 = 842.97，合计 842.96 按未舍入的利息相加
std::optional<std::vector<WorkingLine>> Working(const FieldValues& fields);

// The lines' texts, one a line, joined by '\n'.
std::string WorkingText(const std::vector<WorkingLine>& lines);

}  // namespace quillbary
