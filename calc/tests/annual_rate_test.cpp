#include "quillbary/annual_rate.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "test_names.h"

namespace quillbary {
namespace {

struct AnnualRow {
  const char* name;
  std::string typed;
  std::optional<std::string> annual;  // nothing: no annual rate
};

class AnnualRates : public ::testing::TestWithParam<AnnualRow> {};

TEST_P(AnnualRates, TwelveTimesThePerMilleOverTenExactly) {
  EXPECT_EQ(AnnualPercent(GetParam().typed), GetParam().annual);
}

// clang-format off: one row a line.
INSTANTIATE_TEST_SUITE_P(
    Rates, AnnualRates,
    ::testing::Values(
        AnnualRow{"LoanDocumentExample", "4.35", "5.22"},  // a double gives 5.2199999999999998
        AnnualRow{"WorkedExample", "5.31", "6.372"},
        AnnualRow{"Whole", "10", "12"},
        AnnualRow{"BelowOne", "0.05", "0.06"},
        AnnualRow{"TrailingPeriod", "10.", "12"},
        AnnualRow{"GroupedAndFullWidth", "１，０００", "1200"},
        AnnualRow{"Negative", "-2.5", "-3"},
        AnnualRow{"NegativeZero", "-0", "0"},
        AnnualRow{"SmallExponent", "1e-3", "0.0012"},
        AnnualRow{"LargeExponent", "1.5E+20", "180000000000000000000"},
        AnnualRow{"Hexadecimal", "&H5", "6"},
        AnnualRow{"ExponentTooFar", "1e400", std::nullopt},
        AnnualRow{"Percent", "5%", std::nullopt},
        AnnualRow{"Empty", "", std::nullopt}),
    RowName{});
// clang-format on

TEST(AnnualRate, TipAndStatementValue) {
  EXPECT_EQ(RateTip(" 4.35 "), "月利率 4.35‰ = 年利率 5.22%");
  EXPECT_EQ(WithAnnualRate("1,000‰"), "1,000‰（折合年利率 1200%）");
  EXPECT_EQ(WithAnnualRate("只结利息"), "只结利息");
}

}  // namespace
}  // namespace quillbary
