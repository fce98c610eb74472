#include "quillbary/batch_date.h"

#include <gtest/gtest.h>

namespace quillbary::batch {
namespace {

using std::chrono::year_month_day;

struct DateRow {
  const char* name;
  const char* cell;
  std::variant<year_month_day, DateProblem> expected;
};

constexpr year_month_day Ymd(int y, unsigned m, unsigned d) {
  return year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

class BatchDateTest : public ::testing::TestWithParam<DateRow> {};

TEST_P(BatchDateTest, ReadsTheCell) {
  EXPECT_EQ(ReadBatchDate(GetParam().cell), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, BatchDateTest,
    ::testing::Values(DateRow{"Dashes", "2009-01-01", Ymd(2009, 1, 1)},
                      DateRow{"SlashesShort", "2009/1/1", Ymd(2009, 1, 1)},
                      DateRow{"Dots", "2009.1.31", Ymd(2009, 1, 31)},
                      DateRow{"EightDigits", "20090930", Ymd(2009, 9, 30)},
                      DateRow{"Chinese", "2009年1月1日", Ymd(2009, 1, 1)},
                      DateRow{"ChineseWithoutDay", "2009年1月1", Ymd(2009, 1, 1)},
                      DateRow{"FullWidth", "２００９－０７－０１", Ymd(2009, 7, 1)},
                      DateRow{"BlanksAround", " \t2009-01-01\u3000", Ymd(2009, 1, 1)},
                      DateRow{"FirstDay", "1601-01-01", Ymd(1601, 1, 1)},
                      DateRow{"LastDay", "9999-12-31", Ymd(9999, 12, 31)},
                      DateRow{"LeapDay", "2008-02-29", Ymd(2008, 2, 29)},
                      DateRow{"Empty", "", DateProblem::kEmpty},
                      DateRow{"Blank", "   ", DateProblem::kEmpty},
                      DateRow{"NoLeapDay", "2009-02-29", DateProblem::kImpossible},
                      DateRow{"February30", "2009-02-30", DateProblem::kImpossible},
                      DateRow{"Month13", "2009-13-01", DateProblem::kImpossible},
                      DateRow{"DayZero", "20090100", DateProblem::kImpossible},
                      DateRow{"BeforeFirst", "1600-12-31", DateProblem::kOutOfRange},
                      DateRow{"MixedSeparators", "2009-01/01", DateProblem::kUnreadable},
                      DateRow{"TimeAfter", "2009-01-01 10:00", DateProblem::kUnreadable},
                      DateRow{"SevenDigits", "2009011", DateProblem::kUnreadable},
                      DateRow{"Word", "soon", DateProblem::kUnreadable},
                      DateRow{"FiveDigitYear", "12009-01-01", DateProblem::kUnreadable}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbary::batch
