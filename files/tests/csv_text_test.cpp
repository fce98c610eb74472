#include "quillbary/csv_text.h"

#include <gtest/gtest.h>

namespace quillbary::files {
namespace {

struct FieldCase {
  const char* name;
  std::string_view text;
  std::string_view field;
};

class CsvFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(CsvFieldTest, WritesTheCellSoThatASpreadsheetRunsNothing) {
  std::string out;
  AppendCsvField(GetParam().text, true, out);
  EXPECT_EQ(out, GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CsvFieldTest,
    testing::Values(FieldCase{"plain_text_as_is", "张三", "张三"},
                    FieldCase{"negative_number_as_is", "-5", "-5"},
                    FieldCase{"signed_decimal_as_is", "+5.31", "+5.31"},
                    FieldCase{"exponent_as_is", "1.5E+20", "1.5E+20"},
                    FieldCase{"formula_guarded", "=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
                    FieldCase{"plus_command_guarded", "+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
                    FieldCase{"at_function_guarded", "@SUM(A1)", "'@SUM(A1)"},
                    FieldCase{"minus_sum_guarded", "-2+3", "'-2+3"},
                    FieldCase{"minus_infinity_guarded", "-inf", "'-inf"},
                    FieldCase{"nan_after_plus_guarded", "+nan", "'+nan"},
                    FieldCase{"plus_minus_guarded", "+-5", "'+-5"},
                    FieldCase{"tab_guarded", "\t=1", "'\t=1"},
                    FieldCase{"carriage_return_guarded_and_quoted", "\r=1", "\"'\r=1\""},
                    FieldCase{"comma_quoted", "a,b", "\"a,b\""},
                    FieldCase{"quote_doubled", "say \"hi\"", "\"say \"\"hi\"\"\""},
                    FieldCase{"line_break_quoted", "a\nb", "\"a\nb\""},
                    FieldCase{"carriage_return_inside_quoted", "a\rb", "\"a\rb\""},
                    FieldCase{"formula_with_comma_guarded_and_quoted", "=SUM(A1,A2)",
                              "\"'=SUM(A1,A2)\""},
                    FieldCase{"empty_stays_empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvLineTest, SeparatesByCommasAndEndsWithCrLf) {
  const std::vector<std::string> fields{"a", "=b", ""};
  std::string out;
  AppendCsvLine(fields, out);
  EXPECT_EQ(out, "a,'=b,\r\n");
}

}  // namespace
}  // namespace quillbary::files
