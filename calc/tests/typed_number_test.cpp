#include "quillbary/typed_number.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "quillbary/calc_error.h"
#include "test_names.h"

namespace quillbary {
namespace {

struct TypedRow {
  const char* name;
  TypedField field;
  std::string typed;
  std::optional<double> value;  // nothing: refused, with `warning`
  std::string warning;
};

class TypedNumbers : public ::testing::TestWithParam<TypedRow> {};

TEST_P(TypedNumbers, ReadAsMeantOrRefusedWithTheFieldNamed) {
  const TypedRow& row = GetParam();
  ASSERT_EQ(PlainNumberText(row.typed, row.field).has_value(), row.value.has_value());
  if (row.value) {
    EXPECT_EQ(ReadTypedNumber(row.typed, row.field), *row.value);
  } else {
    EXPECT_EQ(NotANumberWarning(row.field, row.typed), row.warning);
    try {
      ReadTypedNumber(row.typed, row.field);
      ADD_FAILURE() << "read a refused input";
    } catch (const CalcError& error) {
      EXPECT_EQ(error.code(), ErrorCode::kTypeMismatch);
    }
  }
}

constexpr TypedField kAmount = TypedField::kAmount;
constexpr TypedField kRate = TypedField::kRate;

TypedRow Amount(const char* name, std::string typed, double value) {
  return {name, kAmount, std::move(typed), value, ""};
}
TypedRow Rate(const char* name, std::string typed, double value) {
  return {name, kRate, std::move(typed), value, ""};
}
TypedRow RefusedAmount(const char* name, std::string typed) {
  std::string warning = "还款金额“" + typed + "”不是数字。请只填数字，如 10000 或 10,000.00。";
  return {name, kAmount, std::move(typed), std::nullopt, std::move(warning)};
}
TypedRow RefusedRate(const char* name, std::string typed) {
  std::string warning =
      "月利率“" + typed + "”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。";
  return {name, kRate, std::move(typed), std::nullopt, std::move(warning)};
}

// clang-format off: one row a line.
INSTANTIATE_TEST_SUITE_P(
    Inputs, TypedNumbers,
    ::testing::Values(
        Amount("ThousandsComma", "10,000", 10000),
        Amount("ThousandsCommaWithFraction", "10,000.50", 10000.5),
        Amount("TwoGroups", "1,234,567.5", 1234567.5),
        Amount("InnerBlanksIgnored", " 1 000 ", 1000),
        Amount("FullWidthWithComma", "１０，０００", 10000),
        Amount("TrailingYuan", "1,000元", 1000), Amount("GroupedWithExponent", "1,000E-3", 1),
        Amount("Hexadecimal", "&H1F", 31), Amount("OctalWithYuan", "&o17元", 15),
        Rate("PlainRate", "5.31", 5.31), Rate("RateWithBlanksAround", " 5.31\t", 5.31),
        Rate("FullWidthRate", "５．３１", 5.31), Rate("RateWithThousandsComma", "1,000", 1000),
        Rate("HexadecimalRate", "&H5", 5), RefusedAmount("TenThousandSign", "1万"),
        RefusedAmount("CurrencySignFirst", "￥10000"),
        RefusedAmount("GroupOfOneAfterTheComma", "10,0"),
        RefusedAmount("FourDigitsBeforeTheComma", "1234,567"), RefusedAmount("CommaFirst", ",100"),
        RefusedAmount("GroupOfFourAfterTheComma", "10,0000"),
        RefusedAmount("GroupOfFourBeforeTheFraction", "1,0000.5"),
        RefusedAmount("HexadecimalWithoutDigits", "&H"), RefusedAmount("OctalWithoutDigits", "&O"),
        RefusedAmount("HexadecimalWithOnlyYuan", "&h元"), RefusedRate("RateOctalWithoutDigits", "&o"),
        RefusedRate("RateGroupOfFour", "1,0000"),
        RefusedAmount("CommaInTheFraction", "1.000,5"), RefusedAmount("TwoPeriods", "1.2.3"),
        RefusedAmount("LettersAfterDigits", "12abc"), RefusedAmount("ExponentWithoutDigits", "2e"),
        RefusedAmount("SignBeforeHexadecimal", "-&H1F"), RefusedAmount("OnlyBlanks", "  "),
        RefusedRate("DecimalComma", "5,31"), RefusedRate("FullWidthDecimalComma", "５，３１"),
        RefusedRate("ShortGroup", "1,0"), RefusedRate("Percent", "5%"),
        RefusedRate("PerMille", "5.31‰"), RefusedRate("YuanIsForTheAmountOnly", "5元"),
        // A long input is quoted by its first 20 characters.
        TypedRow{"LongInputQuotedInPart", kAmount, "一二三四五六七八九十一二三四五六七八九十万",
                 std::nullopt,
                 "还款金额“一二三四五六七八九十一二三四五六七八九十…”不是数字。请只填数字，如 "
                 "10000 或 10,000.00。"}),
    RowName{});
// clang-format on

}  // namespace
}  // namespace quillbary
