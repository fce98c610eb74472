#include "quillbary/clock_face.h"

#include <gtest/gtest.h>

namespace quillbary {
namespace {

using namespace std::chrono;

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

}  // namespace
}  // namespace quillbary
