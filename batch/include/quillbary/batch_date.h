// Reading a date cell of a batch file.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <variant>

namespace quillbary::batch {

// Why a date cell gave no date.
enum class DateProblem {
  kEmpty,       // nothing but blanks
  kUnreadable,  // not one of the accepted forms
  kImpossible,  // a form that names no calendar day, such as 2009-02-30
  kOutOfRange,  // a real day outside 1601-01-01 ... 9999-12-31
};

// Reads one of the forms a clerk's sheet holds, with blanks around it
// ignored and full-width digits and separators read as their ASCII twins:
//
//   "2009-01-01"   "2009/1/1"   "2009.1.1"   "20090101"   "2009年1月1日"
//   "２００９－０１－０１" -> 2009-01-01
//   ""   -> kEmpty          "2009-02-30" -> kImpossible
//   "soon" -> kUnreadable   "1600-12-31" -> kOutOfRange
std::variant<std::chrono::year_month_day, DateProblem> ReadBatchDate(std::string_view cell);

// The row's message for a date cell that gave no date, naming the column:
//   ("借款日期", "2009-02-30", kImpossible) -> "借款日期“2009-02-30”不是存在的日期"
std::string DateProblemText(std::string_view column, std::string_view cell, DateProblem problem);

}  // namespace quillbary::batch
