// The two errors the calculation can raise. Both are typed and carry the
// numeric code a clerk sees in the error report, so the window can name them.
#pragma once

#include <stdexcept>

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

}  // namespace quillbary
