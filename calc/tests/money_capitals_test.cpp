#include "quillbary/money_capitals.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "test_names.h"

namespace quillbary {
namespace {

struct CapitalsRow {
  const char* name;
  std::string money;
  std::optional<std::string> capitals;
};

class Capitals : public ::testing::TestWithParam<CapitalsRow> {};

TEST_P(Capitals, WritesTheAmountInCapitals) {
  EXPECT_EQ(MoneyInCapitals(GetParam().money), GetParam().capitals) << GetParam().money;
}

const std::string kLargest(kLargestAmountInCapitals);
const std::string kLargestCapitals =
    "玖佰玖拾玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    RulesForBills, Capitals,
    ::testing::Values(
        CapitalsRow{"ZeroBetweenDigits", "1409.5", "壹仟肆佰零玖元伍角"},
        CapitalsRow{"FenDigitWrittenAsTheRulesDo", "1409.50", "壹仟肆佰零玖元伍角"},
        CapitalsRow{"OneZeroForARun", "6007.14", "陆仟零柒元壹角肆分"},
        CapitalsRow{"ZeroYuanBeforeJiao", "1680.32", "壹仟陆佰捌拾元零叁角贰分"},
        CapitalsRow{"TrailingZerosOfWanSection", "107000.53", "壹拾万柒仟元零伍角叁分"},
        CapitalsRow{"ZeroJiaoBeforeFen", "16409.02", "壹万陆仟肆佰零玖元零贰分"},
        CapitalsRow{"ZeroJiaoBeforeFenShort", "325.04", "叁佰贰拾伍元零肆分"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Zeros, Capitals,
    ::testing::Values(
        CapitalsRow{"WholeWanSectionSkipped", "100007000.", "壹亿零柒仟元整"},
        CapitalsRow{"RunGoesIntoTheNextSection", "100700.", "壹拾万零柒佰元整"},
        CapitalsRow{"TrailingZerosOfYiSection", "1070000000.", "壹拾亿柒仟万元整"},
        CapitalsRow{"Yi", "100000000.", "壹亿元整"},
        CapitalsRow{"ZeroBetweenYiAndWan", "100010000.", "壹亿零壹万元整"},
        CapitalsRow{"WanYi", "1000000000000.", "壹万亿元整"},
        CapitalsRow{"CountOfYiHasItsOwnWan", "1000100000000.", "壹万零壹亿元整"},
        CapitalsRow{"YiSectionReachesTheTop", "1000010000000.", "壹万亿壹仟万元整"},
        CapitalsRow{"OneFenAfterAMillion", "1000000.01", "壹佰万元零壹分"},
        CapitalsRow{"Zero", "0.", "零元整"},
        CapitalsRow{"MinusZeroHasNoSign", "-0.", "零元整"},
        CapitalsRow{"FenOnly", "0.05", "伍分"},
        CapitalsRow{"JiaoOnly", "0.5", "伍角"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Amounts, Capitals,
    ::testing::Values(
        CapitalsRow{"WholeYuan", "100.", "壹佰元整"},
        CapitalsRow{"TenYuanHasItsDigit", "10.", "壹拾元整"},
        CapitalsRow{"Negative", "-12.35", "负壹拾贰元叁角伍分"},
        CapitalsRow{"NegativeBelowOneYuan", "-0.05", "负伍分"},
        CapitalsRow{"Largest", kLargest, kLargestCapitals},
        CapitalsRow{"NegativeLargest", "-" + kLargest, "负" + kLargestCapitals}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    NoCapitals, Capitals,
    ::testing::Values(
        CapitalsRow{"OneFenAboveTheLargest", "1000000000000000.", std::nullopt},
        CapitalsRow{"NegativeAboveTheLargest", "-1000000000000000.", std::nullopt},
        CapitalsRow{"ExponentForm", "1E+15", std::nullopt},
        CapitalsRow{"ExponentWithFraction", "1.5E+20", std::nullopt},
        CapitalsRow{"Empty", "", std::nullopt},
        CapitalsRow{"NoPeriod", "100", std::nullopt},
        CapitalsRow{"LeadingZero", "01.", std::nullopt},
        CapitalsRow{"ThreeFractionDigits", "1.005", std::nullopt},
        CapitalsRow{"LoneMinus", "-.", std::nullopt},
        CapitalsRow{"NotANumber", "abc", std::nullopt}),
    RowName{});
// clang-format on

}  // namespace
}  // namespace quillbary
