#include "quillbary/calendar.h"

#include <gtest/gtest.h>

#include "test_dates.h"
#include "test_names.h"

namespace quillbary {
namespace {

using std::chrono::year;
using std::chrono::year_month_day;

struct DaysRow {
  const char* name;
  year_month_day from;
  year_month_day to;
  std::int32_t days;
};

class Days : public ::testing::TestWithParam<DaysRow> {};

TEST_P(Days, CountsCalendarDays) {
  const DaysRow& row = GetParam();
  EXPECT_EQ(DayDifference(row.from, row.to), row.days);
  EXPECT_EQ(DayDifference(row.to, row.from), -row.days) << "reversed";
}

INSTANTIATE_TEST_SUITE_P(
    Layers, Days,
    ::testing::Values(DaysRow{"SameDay", Ymd(2005, 1, 1), Ymd(2005, 1, 1), 0},
                      DaysRow{"NextDay", Ymd(2005, 1, 1), Ymd(2005, 1, 2), 1},
                      DaysRow{"FebruaryEndOfCommonYear", Ymd(2009, 2, 28), Ymd(2009, 3, 1), 1},
                      DaysRow{"FebruaryEndOfLeapYear", Ymd(2008, 2, 28), Ymd(2008, 3, 1), 2},
                      DaysRow{"CenturyIsNotLeap", Ymd(1900, 2, 28), Ymd(1900, 3, 1), 1},
                      DaysRow{"FourHundredthYearIsLeap", Ymd(2000, 2, 28), Ymd(2000, 3, 1), 2},
                      DaysRow{"LeapDayToLeapDay", Ymd(2004, 2, 29), Ymd(2008, 2, 29), 1461},
                      DaysRow{"ThirtyDayMonthEnd", Ymd(2009, 4, 30), Ymd(2009, 5, 1), 1},
                      DaysRow{"YearEnd", Ymd(2008, 12, 31), Ymd(2009, 1, 1), 1},
                      DaysRow{"WholeLeapYear", Ymd(2008, 1, 1), Ymd(2009, 1, 1), 366},
                      DaysRow{"WorkedExampleNormalDays", Ymd(2009, 1, 1), Ymd(2009, 7, 1), 181},
                      DaysRow{"WorkedExampleOverdueDays", Ymd(2009, 7, 1), Ymd(2009, 9, 30), 91},
                      DaysRow{"FromTheFirstDate", Ymd(1601, 1, 1), Ymd(1970, 1, 1), 134774},
                      DaysRow{"ToTheLastDate", Ymd(1970, 1, 1), Ymd(9999, 12, 31), 2932896},
                      DaysRow{"WholeRange", Ymd(1601, 1, 1), Ymd(9999, 12, 31), 3067670}),
    RowName{});

TEST(IsoDateText, WritesTheRangeEndsWithFourDigitYears) {
  EXPECT_EQ(IsoDateText(Ymd(1601, 1, 1)), "1601-01-01");
  EXPECT_EQ(IsoDateText(Ymd(9999, 12, 31)), "9999-12-31");
}

}  // namespace
}  // namespace quillbary
