#include "quillbary/calc_error.h"

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

}  // namespace quillbary
