#include "quillbary/clock_face.h"

#include <gtest/gtest.h>

#include <string>

#include "test_names.h"
#include "test_dates.h"

namespace quillbary {
namespace {

using namespace std::chrono;

using std::chrono::year_month_day;

constexpr LocalMoment At(int y, unsigned mo, unsigned d, int h, int mi, int s) {
  return local_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi} + seconds{s};
}

TEST(ClockFace, FirstTickFillsBothFields) {
  ClockFace face;
  EXPECT_EQ(face.DateText(At(2009, 3, 1, 9, 5, 7)), "2009年3月1日");
  EXPECT_EQ(face.TimeText(At(2009, 3, 1, 9, 5, 7)), "9时05分07秒");
}

TEST(ClockFace, SameSecondChangesNothing) {
  ClockFace face;
  face.DateText(At(2009, 3, 1, 9, 5, 7));
  face.TimeText(At(2009, 3, 1, 9, 5, 7));
  EXPECT_EQ(face.DateText(At(2009, 3, 1, 9, 5, 7)), std::nullopt);
  EXPECT_EQ(face.TimeText(At(2009, 3, 1, 9, 5, 7)), std::nullopt);
}

TEST(ClockFace, NextSecondChangesOnlyTheTime) {
  ClockFace face;
  face.DateText(At(2009, 3, 1, 9, 5, 7));
  face.TimeText(At(2009, 3, 1, 9, 5, 7));
  EXPECT_EQ(face.DateText(At(2009, 3, 1, 9, 5, 8)), std::nullopt);
  EXPECT_EQ(face.TimeText(At(2009, 3, 1, 9, 5, 8)), "9时05分08秒");
}

// At midnight the date may be read before it turns and the time after: for
// one tick the fields show the old day with the new time.
TEST(ClockFace, MidnightBetweenTheTwoReadings) {
  ClockFace face;
  EXPECT_EQ(face.DateText(At(2009, 12, 31, 23, 59, 59)), "2009年12月31日");
  EXPECT_EQ(face.TimeText(At(2010, 1, 1, 0, 0, 0)), "0时00分00秒");
  EXPECT_EQ(face.DateText(At(2010, 1, 1, 0, 0, 0)), "2010年1月1日");
  EXPECT_EQ(face.TimeText(At(2010, 1, 1, 0, 0, 0)), std::nullopt);
}

TEST(ClockFace, ClockSetBackIsShown) {
  ClockFace face;
  face.DateText(At(2010, 1, 2, 8, 0, 0));
  face.TimeText(At(2010, 1, 2, 8, 0, 0));
  EXPECT_EQ(face.DateText(At(2010, 1, 1, 8, 0, 0)), "2010年1月1日");
  EXPECT_EQ(face.TimeText(At(2010, 1, 1, 7, 59, 59)), "7时59分59秒");
}

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
