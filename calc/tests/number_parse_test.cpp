#include "quillbary/number_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "quillbary/calc_error.h"
#include "test_names.h"

namespace quillbary {
namespace {

struct ReadRow {
  const char* name;
  std::string text;
  double expected;
};

class LenientRead : public ::testing::TestWithParam<ReadRow> {};

TEST_P(LenientRead, ReadsTheLeadingNumber) {
  const ReadRow& row = GetParam();
  const double value = ParseLeadingNumber(row.text);
  EXPECT_EQ(value, row.expected) << '"' << row.text << '"';
  EXPECT_EQ(std::signbit(value), std::signbit(row.expected)) << '"' << row.text << '"';
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Grammar, LenientRead,
    ::testing::Values(
        ReadRow{"EmptyIsZero", "", 0},
        ReadRow{"AllBlankIsZero", " \t\n ", 0},
        ReadRow{"LettersAreZero", "abc", 0},
        ReadRow{"LeadingBlankThenTrailingLetters", " 12.5abc", 12.5},
        ReadRow{"CommaEndsTheNumber", "1,000", 1},
        ReadRow{"InnerBlanksRemoved", "1 2 3", 123},
        ReadRow{"TabsAndLineFeedsRemoved", "1\t0\n0 0", 1000},
        ReadRow{"BlankBetweenSignAndDigits", "- 5", -5},
        ReadRow{"CarriageReturnIsNotABlank", "1\r2", 1},
        ReadRow{"CurrencyAfterTheNumber", "1000元", 1000},
        ReadRow{"NegativeWithoutLeadingZero", "-.5", -0.5},
        ReadRow{"PlusSign", "+7", 7},
        ReadRow{"LoneSignIsZero", "-", 0},
        ReadRow{"LonePeriodIsZero", ".", 0},
        ReadRow{"TrailingPeriod", "5.", 5},
        ReadRow{"SecondPeriodEnds", "1.2.3", 1.2},
        ReadRow{"Exponent", "1e3", 1000},
        ReadRow{"CapitalExponentWithSign", "2.5E-2", 0.025},
        ReadRow{"ExponentWithoutDigitsEnds", "2e", 2},
        ReadRow{"ExponentSignWithoutDigitsEnds", "2e+", 2},
        ReadRow{"ExponentNeedsAMantissa", "e5", 0},
        ReadRow{"BlanksInsideTheExponent", "1 e 3", 1000},
        ReadRow{"NegativeZeroKeepsItsSign", "-0", -0.0},
        ReadRow{"NearestDouble", "0.1", 0.1},
        ReadRow{"ManyDigitsRoundCorrectly", "9007199254740993", 9007199254740992.0},
        ReadRow{"HexPrefix", "&H1F", 31},
        ReadRow{"HexLowerCase", "&hff", 255},
        ReadRow{"HexStopsAtNonDigit", "&H1FG", 31},
        ReadRow{"HexWithoutDigitsIsZero", "&HG", 0},
        ReadRow{"HexWithBlanks", "& H 1 F", 31},
        ReadRow{"HexIsUnsigned", "&HFFFF", 65535},
        ReadRow{"SignBeforeRadixIsZero", "-&H1F", 0},
        ReadRow{"OctalPrefix", "&O17", 15},
        ReadRow{"OctalLowerCasePrefix", "&o17", 15},
        ReadRow{"OctalLowerCase", "&o777", 511},
        ReadRow{"OctalStopsAtEight", "&O178", 15},
        ReadRow{"OctalLongRoundsToNearest", "&O1000000000000000000001", 9223372036854775808.0},
        ReadRow{"UnknownRadixIsZero", "&X1", 0},
        ReadRow{"TinyUnderflowsToZero", "1e-400", 0},
        ReadRow{"TinyNegativeUnderflowsToNegativeZero", "-1e-400", -0.0},
        ReadRow{"SubnormalKept", "4.9406564584124654e-324",
                std::numeric_limits<double>::denorm_min()},
        ReadRow{"LargestDouble", "1.7976931348623157e308", std::numeric_limits<double>::max()},
        ReadRow{"HugeExponentWithZeroMantissa", "0e99999999999999999999", 0},
        ReadRow{"LongExponentWithLeadingZeros", "1e000000000000000000000005", 100000},
        ReadRow{"FullWidthDigits", "１００００", 10000},
        ReadRow{"FullWidthMixedWithAscii", "1０00", 1000},
        ReadRow{"FullWidthSignAndPeriod", "－．５", -0.5},
        ReadRow{"FullWidthCommaEndsTheNumber", "１，０００", 1},
        ReadRow{"FullWidthThenCurrency", "１０００元", 1000},
        ReadRow{"FullWidthHex", "＆Ｈ１Ｆ", 31},
        ReadRow{"IdeographicSpaceIsNotABlank", "\u3000５", 0},
        ReadRow{"JustBelowTheFullWidthRangeIsNotABlank", "1\xEF\xBC\x80" "2", 1},
        ReadRow{"HalfAFullWidthDigitIsNoDigit", "\xEF\xBC" "5", 0}),
    RowName{});
// clang-format on

class StrictRead : public ::testing::TestWithParam<ReadRow> {};

TEST_P(StrictRead, ReadsTheWholeText) {
  const ReadRow& row = GetParam();
  EXPECT_EQ(ParseNumberStrict(row.text), row.expected) << '"' << row.text << '"';
  EXPECT_EQ(TryParseNumberStrict(row.text), row.expected) << '"' << row.text << '"';
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Grammar, StrictRead,
    ::testing::Values(
        ReadRow{"LeadingBlank", " 7.965", 7.965},
        ReadRow{"NoZeroBeforePeriod", " .45", 0.45},
        ReadRow{"BlanksAroundIt", "  12  ", 12},
        ReadRow{"NegativeSignedColumn", "-.25", -0.25},
        ReadRow{"PlusSign", "+3", 3},
        ReadRow{"TrailingPeriod", "100.", 100},
        ReadRow{"GroupSeparators", "1,000.5", 1000.5},
        ReadRow{"IrregularGroups", "1,00,0", 1000},
        ReadRow{"ExponentForm", "-1.5E+20", -1.5e20},
        ReadRow{"SmallExponentForm", " 1E-06", 1e-6},
        ReadRow{"IntegerText", "181", 181},
        ReadRow{"Zero", " 0", 0},
        ReadRow{"TinyUnderflowsToZero", "1e-400", 0},
        ReadRow{"FullWidthAmount", "１００００", 10000},
        ReadRow{"FullWidthRate", "５．３１", 5.31},
        ReadRow{"FullWidthMinus", "－５", -5},
        ReadRow{"FullWidthGroupSeparators", "１，０００", 1000},
        ReadRow{"FullWidthExponent", "１ｅ３", 1000},
        ReadRow{"FullWidthSignedExponent", "１．５Ｅ＋２０", 1.5e20},
        ReadRow{"SignWithGroups", "-1,000.5", -1000.5},
        ReadRow{"PlusWithAGroup", "+1,0", 10},
        ReadRow{"ExponentAfterGroups", "1,000e3", 1e6}),
    RowName{});
// clang-format on

struct ErrorRow {
  const char* name;
  std::string text;
  ErrorCode code;
};

class StrictReadError : public ::testing::TestWithParam<ErrorRow> {};

TEST_P(StrictReadError, RaisesTheTypedError) {
  const ErrorRow& row = GetParam();
  try {
    ParseNumberStrict(row.text);
    ADD_FAILURE() << '"' << row.text << "\" was accepted";
  } catch (const CalcError& error) {
    EXPECT_EQ(error.code(), row.code) << '"' << row.text << '"';
  }
  EXPECT_EQ(TryParseNumberStrict(row.text), std::nullopt) << '"' << row.text << '"';
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Refused, StrictReadError,
    ::testing::Values(ErrorRow{"Empty", "", ErrorCode::kTypeMismatch},
                      ErrorRow{"AllBlank", "   ", ErrorCode::kTypeMismatch},
                      ErrorRow{"PercentSign", "5%", ErrorCode::kTypeMismatch},
                      ErrorRow{"PerMilleSign", "5‰", ErrorCode::kTypeMismatch},
                      ErrorRow{"Letters", "abc", ErrorCode::kTypeMismatch},
                      ErrorRow{"InnerBlank", "1 2", ErrorCode::kTypeMismatch},
                      ErrorRow{"BlankAfterSign", "- 5", ErrorCode::kTypeMismatch},
                      ErrorRow{"TabIsNotABlank", "\t5", ErrorCode::kTypeMismatch},
                      ErrorRow{"LoneSign", "-", ErrorCode::kTypeMismatch},
                      ErrorRow{"LonePeriod", ".", ErrorCode::kTypeMismatch},
                      ErrorRow{"TwoPeriods", "1.2.3", ErrorCode::kTypeMismatch},
                      ErrorRow{"TrailingComma", "1,", ErrorCode::kTypeMismatch},
                      ErrorRow{"LeadingComma", ",5", ErrorCode::kTypeMismatch},
                      ErrorRow{"DoubleComma", "1,,0", ErrorCode::kTypeMismatch},
                      ErrorRow{"CommaInFraction", "1.2,3", ErrorCode::kTypeMismatch},
                      ErrorRow{"ExponentWithoutDigits", "2e", ErrorCode::kTypeMismatch},
                      ErrorRow{"ExponentSignOnly", "2e-", ErrorCode::kTypeMismatch},
                      ErrorRow{"TextAfterAValidExponent", "1e5x", ErrorCode::kTypeMismatch},
                      ErrorRow{"TrailingTab", "1\t", ErrorCode::kTypeMismatch},
                      ErrorRow{"ExponentLetterD", "1d5", ErrorCode::kTypeMismatch},
                      ErrorRow{"ExponentLetterX", "1x5", ErrorCode::kTypeMismatch},
                      ErrorRow{"SignAfterGroups", "1,000-", ErrorCode::kTypeMismatch},
                      ErrorRow{"Hexadecimal", "&H1F", ErrorCode::kTypeMismatch},
                      ErrorRow{"Infinity", "inf", ErrorCode::kTypeMismatch},
                      ErrorRow{"NotANumber", "nan", ErrorCode::kTypeMismatch},
                      ErrorRow{"HexFloat", "0x1p3", ErrorCode::kTypeMismatch},
                      ErrorRow{"Parentheses", "(5)", ErrorCode::kTypeMismatch},
                      ErrorRow{"Currency", "¥5", ErrorCode::kTypeMismatch},
                      ErrorRow{"FullWidthPercentSign", "５％", ErrorCode::kTypeMismatch},
                      ErrorRow{"IdeographicSpaceIsNotABlank", "\u3000５",
                               ErrorCode::kTypeMismatch},
                      ErrorRow{"BeyondTheRange", "1e400", ErrorCode::kOverflow},
                      ErrorRow{"NegativeBeyondTheRange", "-2e308", ErrorCode::kOverflow},
                      ErrorRow{"RoundsAboveTheLargest", "1.79769313486232E+308",
                               ErrorCode::kOverflow}),
    RowName{});
// clang-format on

struct OverflowRow {
  const char* name;
  std::string text;
};

class LenientReadOverflow : public ::testing::TestWithParam<OverflowRow> {};

TEST_P(LenientReadOverflow, RaisesOverflowNotInfinity) {
  try {
    const double value = ParseLeadingNumber(GetParam().text);
    ADD_FAILURE() << "read as " << value;
  } catch (const CalcError& error) {
    EXPECT_EQ(error.code(), ErrorCode::kOverflow);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    BeyondTheRange, LenientReadOverflow,
    ::testing::Values(OverflowRow{"Exponent", "1e999"}, OverflowRow{"Negative", "-1e999元"},
                      OverflowRow{"ManyDigits", std::string(400, '9')},
                      OverflowRow{"LongHex", "&H" + std::string(300, 'F')},
                      OverflowRow{"LongOctal", "&O" + std::string(400, '7')},
                      OverflowRow{"SaturatedExponent", "1e99999999999999999999999"}),
    RowName{});
// clang-format on

// The longest text a line edit holds reads in one pass, whatever it holds.
TEST(LongText, LongestFieldTextsRead) {
  const std::size_t kLongest = 32767;
  EXPECT_EQ(ParseLeadingNumber(std::string(kLongest, ' ')), 0);
  EXPECT_EQ(ParseLeadingNumber("0." + std::string(kLongest - 3, '0') + "1"), 0);
  EXPECT_EQ(ParseLeadingNumber(std::string(kLongest - 2, '0') + "12"), 12);
  EXPECT_EQ(ParseNumberStrict("1" + std::string(32750, '0') + "e-32750"), 1);
  EXPECT_THROW(ParseNumberStrict(std::string(kLongest, '1')), CalcError);
  std::string groups = "1";
  while (groups.size() + 4 <= kLongest) groups += ",000";
  EXPECT_THROW(ParseNumberStrict(groups), CalcError);
}

}  // namespace
}  // namespace quillbary
