#include "quillbary/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "quillbary/calc_error.h"
#include "quillbary/number_parse.h"
#include "test_names.h"

namespace quillbary {
namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

struct WriteRow {
  const char* name;
  double value;
  std::string text;
};

class SignedText : public ::testing::TestWithParam<WriteRow> {};

TEST_P(SignedText, WritesTheSignedColumnForm) {
  EXPECT_EQ(NumberToSignedText(GetParam().value), GetParam().text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Forms, SignedText,
    ::testing::Values(
        WriteRow{"OverdueRateOfTheWorkedExample", 1.5 * 5.31, " 7.965"},
        WriteRow{"BelowOneHasNoLeadingZero", 0.45, " .45"},
        WriteRow{"NegativeBelowOne", -0.25, "-.25"},
        WriteRow{"Zero", 0, " 0"},
        WriteRow{"NegativeZeroIsZero", -0.0, " 0"},
        WriteRow{"NegativeInteger", -3, "-3"},
        WriteRow{"PeriodDroppedWithoutFraction", 181, " 181"},
        WriteRow{"FifteenDigitsKept", 320.37000000000001, " 320.37"},
        WriteRow{"RoundedToFifteenDigits", 1.0 / 3, " .333333333333333"},
        WriteRow{"RoundingCarriesIntoANewDigit", 9.9999999999999991, " 10"},
        WriteRow{"LargestPlain", 999999999999999, " 999999999999999"},
        WriteRow{"RoundsUpToExponentForm", 999999999999999.9, " 1E+15"},
        WriteRow{"FifteenIntegerDigitsNeedExponent", 1e15, " 1E+15"},
        WriteRow{"LargeWithFraction", 1.5e20, " 1.5E+20"},
        WriteRow{"NegativeLargeWithFraction", -1.5e20, "-1.5E+20"},
        WriteRow{"ThreeDigitExponent", 1.5e300, " 1.5E+300"},
        WriteRow{"LargestDouble", kLargest, " 1.79769313486232E+308"},
        WriteRow{"SmallestPlain", 0.00001, " .00001"},
        WriteRow{"BelowSmallestPlain", 0.000001, " 1E-06"},
        WriteRow{"SmallNegative", -1.25e-9, "-1.25E-09"},
        WriteRow{"TwoExponentDigitsAtTen", 1e-10, " 1E-10"},
        WriteRow{"NegativeAtMinusTen", -1e-10, "-1E-10"},
        WriteRow{"TwoExponentDigitsAtFifteen", 1e15 * 10, " 1E+16"},
        WriteRow{"TwoExponentDigitsAtNinetyNine", 1e99, " 1E+99"},
        WriteRow{"ThreeExponentDigitsAtHundred", 1e100, " 1E+100"},
        WriteRow{"ThreeExponentDigitsAtMinusHundred", 1e-100, " 1E-100"},
        WriteRow{"Subnormal", std::numeric_limits<double>::denorm_min(), " 4.94065645841247E-324"},
        WriteRow{"ExactHalfRoundsAwayFromZero", 1234567890123.125, " 1234567890123.13"},
        WriteRow{"NegativeExactHalfRoundsAwayFromZero", -100000000000000.5, "-100000000000001"},
        WriteRow{"ExactHalfInExponentForm", 0x1p-22, " 2.38418579101563E-07"},
        WriteRow{"ExactHalfCarries", 999999999999999.5, " 1E+15"},
        WriteRow{"JustBelowHalfRoundsDown", 0.1234567890123455, " .123456789012345"}),
    RowName{});
// clang-format on

class PlainText : public ::testing::TestWithParam<WriteRow> {};

TEST_P(PlainText, WritesTheFifteenDigitForm) {
  EXPECT_EQ(NumberToText(GetParam().value), GetParam().text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Forms, PlainText,
                         ::testing::Values(WriteRow{"ZeroBeforePeriod", 0.45, "0.45"},
                                           WriteRow{"Negative", -3, "-3"},
                                           WriteRow{"NegativeZero", -0.0, "0"},
                                           WriteRow{"Third", 1.0 / 3, "0.333333333333333"},
                                           WriteRow{"Large", 1e20, "1E+20"},
                                           WriteRow{"Small", -2e-7, "-2E-07"}),
                         RowName{});
// clang-format on

TEST(IntegerText, PlainDigits) {
  EXPECT_EQ(IntegerToText(0), "0");
  EXPECT_EQ(IntegerToText(181), "181");
  EXPECT_EQ(IntegerToText(-91), "-91");
  EXPECT_EQ(IntegerToText(-3067396), "-3067396");
}

struct RoundRow {
  const char* name;
  double value;
  double rounded;
};

class RoundTrip : public ::testing::TestWithParam<RoundRow> {};

TEST_P(RoundTrip, RoundsToFifteenDigits) {
  EXPECT_EQ(Round15(GetParam().value), GetParam().rounded);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Values, RoundTrip,
    ::testing::Values(RoundRow{"Zero", 0, 0}, RoundRow{"SumOfTenths", 0.1 + 0.2, 0.3},
                      RoundRow{"DailyRate", 5.31 / 30000, 0.000177},
                      RoundRow{"OverdueDailyRate", 7.965 / 30000, 0.0002655},
                      RoundRow{"OverdueRate", 5.31 * 1.5, 7.965},
                      RoundRow{"Third", 1.0 / 3, 0.333333333333333},
                      RoundRow{"Large", 123456789012345678.0, 123456789012346000.0},
                      RoundRow{"Tiny", 1.23456789012345678e-300, 1.23456789012346e-300},
                      RoundRow{"Negative", -2.0 / 3, -0.666666666666667}),
    RowName{});
// clang-format on

TEST(RoundTrip, BeyondTheRangeOnceRoundedIsOverflow) {
  try {
    Round15(kLargest);
    ADD_FAILURE() << "no error";
  } catch (const CalcError& error) {
    EXPECT_EQ(error.code(), ErrorCode::kOverflow);
  }
}

// What one writer puts in a field, the readers of later steps read back as
// the 15-digit value, in every form.
class ReadBack : public ::testing::TestWithParam<double> {};

TEST_P(ReadBack, BothReadersReadTheSignedColumn) {
  const double value = GetParam();
  const std::string text = NumberToSignedText(value);
  EXPECT_EQ(ParseNumberStrict(text), Round15(value)) << text;
  EXPECT_EQ(ParseLeadingNumber(text), Round15(value)) << text;
  EXPECT_EQ(NumberToSignedText(ParseNumberStrict(text)), text) << "not stable: " << text;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, ReadBack,
                         ::testing::Values(7.965, 0.45, -0.25, 0.0, 1.0 / 3, 1e15, -1.5e20, 1e-6,
                                           -1.25e-9, 1.5e300, 1e-300, 1234567890123.125,
                                           std::numeric_limits<double>::denorm_min(),
                                           1.7976931348623e308));

struct MoneyRow {
  const char* name;
  std::string text;
  std::string money;
};

class Money : public ::testing::TestWithParam<MoneyRow> {};

TEST_P(Money, FormatsToTheFen) {
  const MoneyRow& row = GetParam();
  EXPECT_EQ(FormatTwoDecimals(row.text), row.money) << '"' << row.text << '"';
}

// Stability on its own output is a property of the format fuzzer, whose
// corpus holds every text below.

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Texts, Money,
    ::testing::Values(
        MoneyRow{"EmptyStaysEmpty", "", ""},
        MoneyRow{"SignedColumnInput", " 53.1", "53.1"},
        MoneyRow{"WholeNumberKeepsThePeriod", "100", "100."},
        MoneyRow{"HalfFenRoundsUp", "0.005", "0.01"},
        MoneyRow{"NegativeHalfRoundsAwayFromZero", "-12.345", "-12.35"},
        MoneyRow{"RoundsTheDecimalFormNotTheBinary", "2.345", "2.35"},
        MoneyRow{"BinaryValueJustBelowTheHalf", "1.005", "1.01"},
        MoneyRow{"WorkedExampleOverdueInterest", " 241.605", "241.61"},
        MoneyRow{"BelowHalfFenIsZero", "0.004", "0."},
        MoneyRow{"NegativeRoundingToZeroLosesItsSign", "-0.004", "0."},
        MoneyRow{"NegativeZero", "-0", "0."},
        MoneyRow{"SignedColumnBelowOne", " .45", "0.45"},
        MoneyRow{"NegativeSignedColumnBelowOne", "-.25", "-0.25"},
        MoneyRow{"TrailingZeroDropped", "1234.50", "1234.5"},
        MoneyRow{"RoundsToTwoPlaces", "1234.5678", "1234.57"},
        MoneyRow{"CarryIntoNewDigit", "9.995", "10."},
        MoneyRow{"GroupSeparatorsDropped", "1,234.5", "1234.5"},
        MoneyRow{"ExponentInput", "1.5e3", "1500."},
        MoneyRow{"FifteenDigitsFirst", "0.004999999999999999", "0.01"},
        MoneyRow{"ThirteenIntegerDigits", "1234567890123.456", "1234567890123.46"},
        MoneyRow{"ExactHalfAtTheFifteenthDigit", "1234567890123.125", "1234567890123.13"},
        MoneyRow{"LargestPlain", "999999999999999", "999999999999999."},
        MoneyRow{"ExponentFormAboveFifteenDigits", " 1.5E+20", "1.5E+20"},
        MoneyRow{"NegativeExponentForm", "-1E+15", "-1E+15"},
        MoneyRow{"TinyIsZero", " 1E-06", "0."},
        MoneyRow{"NotANumberUnchanged", "abc", "abc"},
        MoneyRow{"PercentUnchanged", "5%", "5%"},
        MoneyRow{"BlankUnchanged", "  ", "  "},
        MoneyRow{"BeyondTheRangeUnchanged", "1E+400", "1E+400"}),
    RowName{});
// clang-format on

TEST(Writers, RefuseValuesThatAreNotFinite) {
  for (const double value :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_THROW(NumberToSignedText(value), CalcError);
    EXPECT_THROW(NumberToText(value), CalcError);
  }
}

}  // namespace
}  // namespace quillbary
