// The two errors the calculation can raise, and the words a clerk reads for
// them. Both are typed and carry the numeric code the error report shows, so
// the window's box and a batch's cell name them alike from here.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillbary {

enum class ErrorCode : int {
  // A result or a number text beyond the range of a double (about 1.8E+308),
  // or an arithmetic result that is not a number at all.
  kOverflow = 6,
  // A text that must be a number is empty or is not a number, e.g. "5%".
  kTypeMismatch = 13,
};

class CalcError : public std::runtime_error {
 public:
  explicit CalcError(ErrorCode code);
  ErrorCode code() const noexcept { return code_; }

 private:
  ErrorCode code_;
};

// The error's name:  kOverflow -> "溢出",  kTypeMismatch -> "类型不匹配".
std::string_view ErrorName(ErrorCode code) noexcept;

// The report's heading, with the code:
//   kOverflow -> "运行时错误 '6':",  kTypeMismatch -> "运行时错误 '13':".
std::string ErrorHeading(ErrorCode code);

// The whole report on one line, heading and name, as a cell or a log holds it:
//   kTypeMismatch -> "运行时错误 '13': 类型不匹配"
std::string ErrorReportLine(ErrorCode code);

}  // namespace quillbary
