#include "quillbary/working.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "quillbary/calculate.h"
#include "test_dates.h"
#include "test_names.h"

namespace quillbary {
namespace {

using std::chrono::year_month_day;

// The worked example's inputs, with the repayment and interest start dates
// and the method as the row gives them, after one Calculate.
FieldValues Calculated(year_month_day repaid, year_month_day start, bool interestOnly,
                       bool principalAndInterest) {
  FieldValues f;
  f.jkrq = Ymd(2009, 1, 1);
  f.dqrq = Ymd(2009, 7, 1);
  f.hkrq = repaid;
  f.qxrq = start;
  f.hkje = "10000";
  f.ll = "5.31";
  f.zjlx = interestOnly;
  f.hbjx = principalAndInterest;
  Calculate(f, [](std::string_view) {});
  return f;
}

struct WorkingRow {
  std::string name;
  FieldValues fields;
  std::optional<std::string> working;  // nothing: no working
};

class WorkingTest : public ::testing::TestWithParam<WorkingRow> {};

TEST_P(WorkingTest, StatesHowEachFigureCameAbout) {
  const std::optional<std::vector<WorkingLine>> lines = Working(GetParam().fields);
  ASSERT_EQ(lines.has_value(), GetParam().working.has_value());
  if (lines) {
    EXPECT_EQ(WorkingText(*lines), *GetParam().working);
  }
}

const std::string kWorkedExampleLines =
    "日利率 = 5.31 ÷ 30000 = 0.000177\n"
    "逾期利率(‰) = 5.31 × 1.5 = 7.965\n"
    "逾期日利率 = 7.965 ÷ 30000 = 0.0002655\n"
    "正常天数 = 2009-01-01 至 2009-07-01 = 181 天\n"
    "正常利息 = 10000 × 0.000177 × 181 = 320.37\n"
    "逾期天数 = 2009-07-01 至 2009-09-30 = 91 天\n"
    "逾期利息 = 91 × (10000 × 0.0002655) = 241.605 ≈ 241.61\n";

FieldValues EditedAfterwards() {
  FieldValues f = Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), true, false);
  f.hkje = "20000";
  return f;
}

// The worked example, principal and interest, with the amount typed in
// thousands: the working shows the number the command read.
FieldValues GroupedAmount() {
  FieldValues f;
  f.jkrq = f.qxrq = Ymd(2009, 1, 1);
  f.dqrq = Ymd(2009, 7, 1);
  f.hkrq = Ymd(2009, 9, 30);
  f.hkje = "10,000元";
  f.ll = "5.31";
  f.hbjx = true;
  Calculate(f, [](std::string_view) {});
  return f;
}

FieldValues StoppedByAnEmptyAmount() {
  FieldValues f = Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), true, false);
  f.hkje.clear();
  Calculate(f, [](std::string_view) {});
  return f;
}

// Operands that no double holds exactly: each line must still show them as
// the 15-digit texts the command read back, not their binary neighbours.
FieldValues InexactOperands(bool interestOnly) {
  FieldValues f = Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), interestOnly, !interestOnly);
  f.hkje = "12345.67";
  f.ll = "5.7";
  Calculate(f, [](std::string_view) {});
  return f;
}

const std::string kInexactLines =
    "日利率 = 5.7 ÷ 30000 = 0.00019\n"
    "逾期利率(‰) = 5.7 × 1.5 = 8.55\n"
    "逾期日利率 = 8.55 ÷ 30000 = 0.000285\n"
    "正常天数 = 2009-01-01 至 2009-07-01 = 181 天\n"
    "正常利息 = 12345.67 × 0.00019 × 181 = 424.5675913 ≈ 424.57\n"
    "逾期天数 = 2009-07-01 至 2009-09-30 = 91 天\n"
    "逾期利息 = 91 × (12345.67 × 0.000285) = 320.18495145 ≈ 320.18\n";

// An amount beyond 2^53 in 15 digits, which no double holds exactly.
FieldValues BeyondExactIntegers() {
  FieldValues f = Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), true, false);
  f.hkje = "6.26906507252699E+16";
  Calculate(f, [](std::string_view) {});
  return f;
}

// Interest starts after the due date, and the loan is repaid before it.
FieldValues StartsAfterDueRepaidBefore() {
  return Calculated(Ymd(2009, 6, 1), Ymd(2009, 8, 1), true, false);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WorkingTest,
    ::testing::Values(
        WorkingRow{"WorkedExampleInterestOnly",
                   Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), true, false),
                   kWorkedExampleLines + "利息合计 = 320.37 + 241.605 = 561.975 ≈ 561.98"},
        WorkingRow{"WorkedExamplePrincipalAddsInTheCommandsOrder",
                   Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), false, true),
                   kWorkedExampleLines +
                       "本息合计 = 241.605 + 10000 + 320.37 = 10561.975 ≈ 10561.98"},
        WorkingRow{"GroupedAmountShowsTheNumberRead", GroupedAmount(),
                   kWorkedExampleLines +
                       "本息合计 = 241.605 + 10000 + 320.37 = 10561.975 ≈ 10561.98"},
        WorkingRow{"NotOverdue", Calculated(Ymd(2009, 5, 20), Ymd(2009, 1, 1), true, false),
                   "日利率 = 5.31 ÷ 30000 = 0.000177\n"
                   "逾期利率(‰) = 0（未逾期）\n"
                   "逾期日利率 = 0 ÷ 30000 = 0\n"
                   "正常天数 = 2009-01-01 至 2009-05-20 = 139 天\n"
                   "正常利息 = 10000 × 0.000177 × 139 = 246.03\n"
                   "逾期天数 = 0 天（未逾期）\n"
                   "逾期利息 = 0 × (10000 × 0) = 0（未逾期）\n"
                   "利息合计 = 246.03 + 0 = 246.03"},
        WorkingRow{"InterestStartingAfterTheDueDateIsAllOverdue",
                   Calculated(Ymd(2009, 9, 30), Ymd(2009, 8, 1), true, false),
                   "日利率 = 5.31 ÷ 30000 = 0.000177\n"
                   "逾期利率(‰) = 5.31 × 1.5 = 7.965\n"
                   "逾期日利率 = 7.965 ÷ 30000 = 0.0002655\n"
                   "正常天数 = 0 天（起息日期晚于到期日期）\n"
                   "正常利息 = 10000 × 0.000177 × 0 = 0\n"
                   "逾期天数 = 2009-08-01 至 2009-09-30 = 60 天（自起息日期起算）\n"
                   "逾期利息 = 60 × (10000 × 0.0002655) = 159.3\n"
                   "利息合计 = 0 + 159.3 = 159.3"},
        WorkingRow{"InterestStartingOnTheDueDateHasNoNormalDays",
                   Calculated(Ymd(2009, 9, 30), Ymd(2009, 7, 1), true, false),
                   "日利率 = 5.31 ÷ 30000 = 0.000177\n"
                   "逾期利率(‰) = 5.31 × 1.5 = 7.965\n"
                   "逾期日利率 = 7.965 ÷ 30000 = 0.0002655\n"
                   "正常天数 = 0 天\n"
                   "正常利息 = 10000 × 0.000177 × 0 = 0\n"
                   "逾期天数 = 2009-07-01 至 2009-09-30 = 91 天\n"
                   "逾期利息 = 91 × (10000 × 0.0002655) = 241.605 ≈ 241.61\n"
                   "利息合计 = 0 + 241.605 = 241.605 ≈ 241.61"},
        WorkingRow{"InexactOperandsInterestOnly", InexactOperands(true),
                   kInexactLines + "利息合计 = 424.5675913 + 320.18495145 = 744.75254275 ≈ 744.75"},
        WorkingRow{"InexactOperandsPrincipal", InexactOperands(false),
                   kInexactLines + "本息合计 = 320.18495145 + 12345.67 + 424.5675913 = "
                                   "13090.42254275 ≈ 13090.42"},
        // Every day counts as overdue from the interest start, none are: the
        // count is negative and says where it is counted from.
        WorkingRow{"StartsAfterDueRepaidBeforeIt", StartsAfterDueRepaidBefore(),
                   "日利率 = 5.31 ÷ 30000 = 0.000177\n"
                   "逾期利率(‰) = 0（未逾期）\n"
                   "逾期日利率 = 0 ÷ 30000 = 0\n"
                   "正常天数 = 0 天（起息日期晚于到期日期）\n"
                   "正常利息 = 10000 × 0.000177 × 0 = 0\n"
                   "逾期天数 = 2009-08-01 至 2009-06-01 = -61 天（自起息日期起算）\n"
                   "逾期利息 = -61 × (10000 × 0) = 0\n"
                   "利息合计 = 0 + 0 = 0"},
        // Each operand in the 15-digit form its field showed, not the 17
        // digits of the double that holds it ("62690650725269904").
        WorkingRow{"FifteenDigitOperandsBeyondExactIntegers", BeyondExactIntegers(),
                   "日利率 = 5.31 ÷ 30000 = 0.000177\n"
                   "逾期利率(‰) = 5.31 × 1.5 = 7.965\n"
                   "逾期日利率 = 7.965 ÷ 30000 = 0.0002655\n"
                   "正常天数 = 2009-01-01 至 2009-07-01 = 181 天\n"
                   "正常利息 = 6.26906507252699E+16 × 0.000177 × 181 = 2.00842037728547E+15\n"
                   "逾期天数 = 2009-07-01 至 2009-09-30 = 91 天\n"
                   "逾期利息 = 91 × (6.26906507252699E+16 × 0.0002655) = 1.51463746684788E+15\n"
                   "利息合计 = 2.00842037728547E+15 + 1.51463746684788E+15 = 3.52305784413335E+15"},
        WorkingRow{"NoMethodMadeNoTotal",
                   Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), false, false), std::nullopt},
        WorkingRow{"InputsEditedAfterTheRunGiveOtherFigures", EditedAfterwards(), std::nullopt},
        WorkingRow{"StoppedRunLeavesAnOldTotalBesideNewInputs", StoppedByAnEmptyAmount(),
                   std::nullopt},
        WorkingRow{"NeverCalculated", FieldValues{}, std::nullopt}),
    RowName{});

// The worked example's dates with the amount and the method of the row.
FieldValues WithAmount(std::string amount, bool interestOnly) {
  FieldValues f = Calculated(Ymd(2009, 9, 30), Ymd(2009, 1, 1), interestOnly, !interestOnly);
  f.hkje = std::move(amount);
  Calculate(f, [](std::string_view) {});
  return f;
}

struct ShownSumRow {
  std::string name;
  std::string amount;
  bool interestOnly = true;
  std::string lastLine;
};

class ShownSumTest : public ::testing::TestWithParam<ShownSumRow> {};

TEST_P(ShownSumTest, SaysWhenTheFiguresShownMissTheTotal) {
  const std::optional<std::vector<WorkingLine>> lines =
      Working(WithAmount(GetParam().amount, GetParam().interestOnly));
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->back().Text(), GetParam().lastLine);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShownSumTest,
    ::testing::Values(
        ShownSumRow{"InterestsShownAddToAFenMore", "15000", true,
                    "利息按显示相加 = 480.56 + 362.41 = 842.97，合计 842.96 按未舍入的利息相加"},
        ShownSumRow{"PrincipalAndInterestsShownAddToAFenMore", "15000", false,
                    "本息按显示相加 = 362.41 + 15000 + 480.56 = 15842.97，合计 15842.96 "
                    "按未舍入的利息相加"},
        ShownSumRow{"InterestsShownAddToAFenLess", "10200", true,
                    "利息按显示相加 = 326.78 + 246.44 = 573.22，合计 573.21 按未舍入的利息相加"},
        ShownSumRow{"WorkedExampleAddsUpAsShown", "10000", true,
                    "利息合计 = 320.37 + 241.605 = 561.975 ≈ 561.98"}),
    RowName{});

}  // namespace
}  // namespace quillbary
