#include "quillbary/calendar.h"

#include <gtest/gtest.h>

#include <string>

#include "test_names.h"

namespace quillbary {
namespace {

using std::chrono::year;
using std::chrono::year_month_day;

constexpr year_month_day Ymd(int y, unsigned m, unsigned d) {
  return year_month_day{year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

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

struct ClockRow {
  const char* name;
  year_month_day date;
  int hour;
  int minute;
  int second;
  std::string dateText;
  std::string timeText;
};

class Clock : public ::testing::TestWithParam<ClockRow> {};

TEST_P(Clock, WritesBothPatterns) {
  const ClockRow& row = GetParam();
  const LocalMoment moment = std::chrono::local_days{row.date} + std::chrono::hours{row.hour} +
                             std::chrono::minutes{row.minute} + std::chrono::seconds{row.second};
  EXPECT_EQ(FormatClock(moment, kDatePattern), row.dateText);
  EXPECT_EQ(FormatClock(moment, kTimePattern), row.timeText);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, Clock,
    ::testing::Values(
        ClockRow{"OneDigitMonthAndDay", Ymd(2009, 3, 1), 9, 5, 7, "2009年3月1日", "9时05分07秒"},
        ClockRow{"Midnight", Ymd(2026, 12, 8), 0, 0, 0, "2026年12月8日", "0时00分00秒"},
        ClockRow{"LastSecondOfTheYear", Ymd(2009, 12, 31), 23, 59, 59, "2009年12月31日",
                 "23时59分59秒"},
        ClockRow{"MinutesAreNotTheMonth", Ymd(2009, 11, 2), 10, 3, 0, "2009年11月2日",
                 "10时03分00秒"},
        ClockRow{"FourDigitYearPadded", Ymd(1601, 1, 1), 12, 0, 0, "1601年1月1日", "12时00分00秒"},
        ClockRow{"LeapDay", Ymd(2008, 2, 29), 13, 30, 5, "2008年2月29日", "13时30分05秒"}),
    RowName{});

struct PatternRow {
  const char* name;
  std::string pattern;
  std::string text;
};

class Pattern : public ::testing::TestWithParam<PatternRow> {};

TEST_P(Pattern, FieldsAndLiterals) {
  const LocalMoment moment = std::chrono::local_days{Ymd(2009, 3, 1)} + std::chrono::hours{9} +
                             std::chrono::minutes{5} + std::chrono::seconds{7};
  EXPECT_EQ(FormatClock(moment, GetParam().pattern), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, Pattern,
    ::testing::Values(PatternRow{"TwoDigitFields", "dd/mm/yyyy hh:mm:ss", "01/03/2009 09:05:07"},
                      PatternRow{"MonthWhenNoHourBefore", "m", "3"},
                      PatternRow{"OtherLengthsCopied", "yyy mmm", "yyy mmm"},
                      PatternRow{"OtherCharactersCopied", "at x-z!", "at x-z!"}),
    RowName{});

}  // namespace
}  // namespace quillbary
