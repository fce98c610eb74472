#include "quillbary/calc_error.h"

#include <array>
#include <charconv>

namespace quillbary {
namespace {

const char* Describe(ErrorCode code) {
  switch (code) {
    case ErrorCode::kOverflow:
      return "overflow (error 6)";
    case ErrorCode::kTypeMismatch:
      return "type mismatch (error 13)";
  }
  return "unknown error";
}

}  // namespace

CalcError::CalcError(ErrorCode code) : std::runtime_error(Describe(code)), code_(code) {}

std::string_view ErrorName(ErrorCode code) noexcept {
  switch (code) {
    case ErrorCode::kOverflow:
      return "溢出";
    case ErrorCode::kTypeMismatch:
      return "类型不匹配";
  }
  return {};
}

std::string ErrorHeading(ErrorCode code) {
  std::array<char, 12> digits{};
  const auto end =
      std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<int>(code)).ptr;
  return "运行时错误 '" + std::string(digits.data(), end) + "':";
}

std::string ErrorReportLine(ErrorCode code) {
  return ErrorHeading(code) + ' ' + std::string(ErrorName(code));
}

}  // namespace quillbary
