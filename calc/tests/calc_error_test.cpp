#include "quillbary/calc_error.h"

#include <gtest/gtest.h>

#include "test_names.h"

namespace quillbary {
namespace {

struct ErrorWordsRow {
  const char* name;
  ErrorCode code;
  std::string_view errorName;
  std::string heading;
  std::string reportLine;
};

class ErrorWords : public ::testing::TestWithParam<ErrorWordsRow> {};

TEST_P(ErrorWords, NameTheCodeAsTheClerkReadsIt) {
  const ErrorWordsRow& row = GetParam();
  EXPECT_EQ(ErrorName(row.code), row.errorName);
  EXPECT_EQ(ErrorHeading(row.code), row.heading);
  EXPECT_EQ(ErrorReportLine(row.code), row.reportLine);
  EXPECT_EQ(CalcError(row.code).code(), row.code) << "the error keeps its code";
}

INSTANTIATE_TEST_SUITE_P(EveryCode, ErrorWords,
                         ::testing::Values(ErrorWordsRow{"Overflow", ErrorCode::kOverflow, "溢出",
                                                         "运行时错误 '6':", "运行时错误 '6': 溢出"},
                                           ErrorWordsRow{"TypeMismatch", ErrorCode::kTypeMismatch,
                                                         "类型不匹配", "运行时错误 '13':",
                                                         "运行时错误 '13': 类型不匹配"}),
                         RowName{});

}  // namespace
}  // namespace quillbary
