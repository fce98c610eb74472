// The window's figure texts in plain decimal: the point moved, never a digit
// rounded.
#include "../src/figure_text.h"

#include <gtest/gtest.h>

namespace quillbary::batch::detail {
namespace {

struct FigureCase {
  const char* figure;
  const char* plain;
  const char* money;
};

TEST(FigureText, PlainDecimalAndMoney) {
  const FigureCase cases[] = {
      {"780.", "780", "780.00"},
      {" .6525", "0.6525", "0.6525"},
      {"-1165.8", "-1165.8", "-1165.80"},
      {"-.5", "-0.5", "-0.50"},
      {"0.", "0", "0.00"},
      {"181", "181", "181.00"},
      {"1.5E+20", "150000000000000000000", "150000000000000000000.00"},
      {"-1.23456789012346E+15", "-1234567890123460", "-1234567890123460.00"},
      {"1.5E-05", "0.000015", "0.000015"},
      {"", "", ""},
      {"溢出", "溢出", "溢出"},
  };
  for (const FigureCase& c : cases) {
    EXPECT_EQ(PlainDecimal(c.figure), c.plain) << c.figure;
    EXPECT_EQ(PlainMoney(c.figure), c.money) << c.figure;
  }
}

}  // namespace
}  // namespace quillbary::batch::detail
