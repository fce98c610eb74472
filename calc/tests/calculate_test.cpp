#include "quillbary/calculate.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "print_fields.h"
#include "quillbary/calc_error.h"
#include "test_names.h"
#include "test_dates.h"

namespace quillbary {
namespace {

using std::chrono::year_month_day;
using Warnings = std::vector<std::string>;

constexpr year_month_day kStartDate = Ymd(2005, 1, 1);

enum class Method { kNone, kInterestOnly, kPrincipalAndInterest };

// The inputs as a clerk enters them; every result field as at start.
FieldValues Inputs(year_month_day loan, year_month_day due, year_month_day repaid,
                   year_month_day start, std::string amount, std::string rate, Method method) {
  FieldValues f;
  f.jkrq = loan;
  f.dqrq = due;
  f.hkrq = repaid;
  f.qxrq = start;
  f.hkje = std::move(amount);
  f.ll = std::move(rate);
  f.zjlx = method == Method::kInterestOnly;
  f.hbjx = method == Method::kPrincipalAndInterest;
  return f;
}

// The worked example's inputs: loan and interest start 2009-01-01, due
// 2009-07-01, repaid 2009-09-30, 10000 at 5.31 per mille.
FieldValues WorkedExample(Method method) {
  return Inputs(Ymd(2009, 1, 1), Ymd(2009, 7, 1), Ymd(2009, 9, 30), Ymd(2009, 1, 1), "10000",
                "5.31", method);
}

struct Results {
  std::string zcts, zclx, yqts, yqll, yqlx, hj;
};

// `inputs` with the given results, and the total shown in place of the notice
// when there is one.
FieldValues Shown(FieldValues f, const Results& r) {
  f.zcts = r.zcts;
  f.zclx = r.zclx;
  f.yqts = r.yqts;
  f.yqll = r.yqll;
  f.yqlx = r.yqlx;
  f.hj = r.hj;
  if (f.zjlx) f.l1Caption = kInterestTotalCaption;
  if (f.hbjx) f.l1Caption = kPrincipalAndInterestCaption;
  if (!f.hj.empty()) {
    f.l1Visible = true;
    f.hjVisible = true;
    f.l2Visible = false;
  }
  return f;
}

Warnings CalculateCollecting(FieldValues& fields) {
  Warnings warnings;
  Calculate(fields, [&](std::string_view text) { warnings.emplace_back(text); });
  return warnings;
}

struct CalculateRow {
  const char* name;
  FieldValues before;
  Results results;  // shown in place of the notice when there is a total
  Warnings warnings;
};

class Calculation : public ::testing::TestWithParam<CalculateRow> {};

TEST_P(Calculation, WritesEveryFieldAndWarnsInOrder) {
  const CalculateRow& row = GetParam();
  const FieldValues expected = Shown(row.before, row.results);
  FieldValues fields = row.before;
  EXPECT_EQ(CalculateCollecting(fields), row.warnings);
  EXPECT_EQ(fields, expected);
}

// A second run on the output (same fields, same warnings) is a property of
// the calculate fuzzer, whose corpus holds every row below.

const FieldValues kInterestOnly = WorkedExample(Method::kInterestOnly);
const FieldValues kInterestOnlyShown =
    Shown(kInterestOnly, {"181", "320.37", "91", " 7.965", "241.61", "561.98"});

// 100 days, not overdue, 30 per mille: 0.1 per cent a day.
FieldValues HundredDays(std::string amount, Method method = Method::kInterestOnly) {
  return Inputs(Ymd(2009, 1, 1), Ymd(2009, 12, 31), Ymd(2009, 4, 11), Ymd(2009, 1, 1),
                std::move(amount), "30", method);
}

// 10000 at 3 per mille: 1 a day, 1.5 a day overdue.
FieldValues AtThree(year_month_day loan, year_month_day due, year_month_day repaid,
                    year_month_day start, Method method = Method::kInterestOnly) {
  return Inputs(loan, due, repaid, start, "10000", "3", method);
}

FieldValues WithRate(FieldValues f, std::string rate) {
  f.ll = std::move(rate);
  return f;
}

FieldValues WithAmount(FieldValues f, std::string amount) {
  f.hkje = std::move(amount);
  return f;
}

FieldValues WithoutMethod(FieldValues f) {
  f.zjlx = false;
  f.hbjx = false;
  return f;
}

const std::string kChooseMethod(warning::kChooseMethod);

INSTANTIATE_TEST_SUITE_P(
    Examples, Calculation,
    ::testing::Values(
        CalculateRow{"WorkedExampleInterestOnly",
                     kInterestOnly,
                     {"181", "320.37", "91", " 7.965", "241.61", "561.98"},
                     {}},
        CalculateRow{"WorkedExamplePrincipalAndInterest",
                     WorkedExample(Method::kPrincipalAndInterest),
                     {"181", "320.37", "91", " 7.965", "241.61", "10561.98"},
                     {}},
        CalculateRow{"WorkedExampleNotOverdue",
                     Inputs(Ymd(2009, 1, 1), Ymd(2009, 7, 1), Ymd(2009, 5, 20), Ymd(2009, 1, 1),
                            "10000", "5.31", Method::kInterestOnly),
                     {"139", "246.03", "0", "0", "0.", "246.03"},
                     {}},
        CalculateRow{"AllDatesEqualInterestOnly",
                     Inputs(kStartDate, kStartDate, kStartDate, kStartDate, "10000", "5.31",
                            Method::kInterestOnly),
                     {"0", "0.", "0", "0", "0.", "0."},
                     {}},
        CalculateRow{"AllDatesEqualPrincipalIsTheTotal",
                     Inputs(kStartDate, kStartDate, kStartDate, kStartDate, "10000", "5.31",
                            Method::kPrincipalAndInterest),
                     {"0", "0.", "0", "0", "0.", "10000."},
                     {}},
        CalculateRow{"AmountWithThousandsCommaReadsAsItsDigits",
                     HundredDays("1,000"),
                     {"100", "100.", "0", "0", "0.", "100."},
                     {}},
        CalculateRow{"GroupedAmountAndRateGiveTheWorkedExample",
                     WithRate(WithAmount(kInterestOnly, "１０，０００.00"), " 5.31 "),
                     {"181", "320.37", "91", " 7.965", "241.61", "561.98"},
                     {}},
        CalculateRow{"AmountWithCurrencySign",
                     HundredDays("1000元"),
                     {"100", "100.", "0", "0", "0.", "100."},
                     {}},
        CalculateRow{"FullWidthAmountAndRate",
                     WithRate(WithAmount(kInterestOnly, "１００００"), "５．３１"),
                     {"181", "320.37", "91", " 7.965", "241.61", "561.98"},
                     {}},
        CalculateRow{
            "NegativeAmount", HundredDays("-1000"), {"100", "-100.", "0", "0", "0.", "-100."}, {}},
        CalculateRow{"RepaidOnTheDueDateIsNotOverdue",
                     Inputs(Ymd(2009, 1, 1), Ymd(2009, 7, 1), Ymd(2009, 7, 1), Ymd(2009, 1, 1),
                            "10000", "5.31", Method::kInterestOnly),
                     {"181", "320.37", "0", "0", "0.", "320.37"},
                     {}},
        // Interest from 2009-04-01, a month after the due date, to 2009-05-01.
        CalculateRow{"InterestStartsAfterTheDueDate",
                     AtThree(Ymd(2009, 1, 1), Ymd(2009, 3, 1), Ymd(2009, 5, 1), Ymd(2009, 4, 1)),
                     {"0", "0.", "30", " 4.5", "45.", "45."},
                     {}},
        CalculateRow{"SmallRateHasNoZeroBeforeThePeriod",
                     WithRate(kInterestOnly, "0.3"),
                     {"181", "18.1", "91", " .45", "13.65", "31.75"},
                     {}},
        // Ten normal days then twenty overdue at 0.15 per mille on 100: 0.005
        // and 0.015, each shown rounded up, while the total adds the unrounded.
        CalculateRow{"TotalAddsTheUnroundedInterests",
                     Inputs(Ymd(2009, 1, 1), Ymd(2009, 1, 11), Ymd(2009, 1, 31), Ymd(2009, 1, 1),
                            "100", "0.15", Method::kInterestOnly),
                     {"10", "0.01", "20", " .225", "0.02", "0.02"},
                     {}},
        CalculateRow{"NoMethodOnAFreshWindowShowsNoTotal",
                     WithoutMethod(kInterestOnly),
                     {"181", "320.37", "91", " 7.965", "241.61", ""},
                     {kChooseMethod}},
        CalculateRow{"NoMethodKeepsAndShowsTheEarlierTotal",
                     WithAmount(WithoutMethod(kInterestOnlyShown), "20000"),
                     {"181", "640.74", "91", " 7.965", "483.21", "561.98"},
                     {kChooseMethod}},
        CalculateRow{"DueBeforeLoanWarnsAndGoesOn",
                     AtThree(Ymd(2009, 2, 1), Ymd(2009, 1, 1), Ymd(2009, 3, 3), Ymd(2009, 2, 1)),
                     {"0", "0.", "30", " 4.5", "45.", "45."},
                     {std::string(warning::kDueBeforeLoan)}},
        CalculateRow{"RepaymentBeforeLoanGivesNegativeDays",
                     AtThree(Ymd(2009, 2, 1), Ymd(2009, 12, 1), Ymd(2009, 1, 2), Ymd(2009, 2, 1)),
                     {"-30", "-30.", "0", "0", "0.", "-30."},
                     {std::string(warning::kRepaymentBeforeLoan)}},
        CalculateRow{"StartBeforeLoanWarnsOnce",
                     AtThree(Ymd(2009, 2, 1), Ymd(2009, 12, 1), Ymd(2009, 3, 3), Ymd(2009, 1, 2)),
                     {"60", "60.", "0", "0", "0.", "60."},
                     {std::string(warning::kStartBeforeLoan)}},
        CalculateRow{"StartAfterRepayment",
                     AtThree(Ymd(2009, 1, 1), Ymd(2009, 12, 1), Ymd(2009, 3, 3), Ymd(2009, 4, 2)),
                     {"-30", "-30.", "0", "0", "0.", "-30."},
                     {std::string(warning::kStartAfterRepayment)}},
        // Two later date checks hold at once: the repayment check comes first.
        CalculateRow{"RepaymentAndStartBeforeLoanWarnForTheRepayment",
                     AtThree(Ymd(2009, 2, 1), Ymd(2009, 12, 1), Ymd(2009, 1, 15), Ymd(2009, 1, 10)),
                     {"5", "5.", "0", "0", "0.", "5."},
                     {std::string(warning::kRepaymentBeforeLoan)}},
        CalculateRow{"RepaymentBeforeLoanAndStartAfterItWarnForTheRepayment",
                     AtThree(Ymd(2009, 2, 1), Ymd(2009, 12, 1), Ymd(2009, 1, 15), Ymd(2009, 2, 1)),
                     {"-17", "-17.", "0", "0", "0.", "-17."},
                     {std::string(warning::kRepaymentBeforeLoan)}},
        // Interest that starts on the due date is not interest after it.
        CalculateRow{"InterestStartsOnTheDueDateOverdue",
                     AtThree(Ymd(2009, 1, 1), Ymd(2009, 3, 1), Ymd(2009, 3, 31), Ymd(2009, 3, 1)),
                     {"0", "0.", "30", " 4.5", "45.", "45."},
                     {}},
        CalculateRow{"InterestStartsOnTheDueDateRepaidBefore",
                     AtThree(Ymd(2009, 1, 1), Ymd(2009, 3, 1), Ymd(2009, 2, 19), Ymd(2009, 3, 1)),
                     {"-10", "-10.", "0", "0", "0.", "-10."},
                     {std::string(warning::kStartAfterRepayment)}},
        CalculateRow{"OnlyTheFirstDateWarningAndThenTheMethod",
                     AtThree(Ymd(2009, 2, 1), Ymd(2009, 1, 1), Ymd(2009, 1, 1), Ymd(2009, 3, 1),
                             Method::kNone),
                     {"0", "0.", "-59", "0", "0.", ""},
                     {std::string(warning::kDueBeforeLoan), kChooseMethod}}),
    RowName{});

struct StopRow {
  const char* name;
  std::string amount;
  std::string rate;
  Warnings warnings;
};

class Stops : public ::testing::TestWithParam<StopRow> {};

TEST_P(Stops, WarnsOnceAndChangesNothing) {
  // Even with dates out of order and no method, only the one warning comes.
  FieldValues fields = Inputs(Ymd(2009, 2, 1), Ymd(2009, 1, 1), kStartDate, kStartDate,
                              GetParam().amount, GetParam().rate, Method::kNone);
  fields.hj = "561.98";
  const FieldValues before = fields;
  EXPECT_EQ(CalculateCollecting(fields), GetParam().warnings);
  EXPECT_EQ(fields, before);
}

INSTANTIATE_TEST_SUITE_P(
    EmptyInputs, Stops,
    ::testing::Values(
        StopRow{"EmptyAmount", "", "5.31", {std::string(warning::kEnterAmount)}},
        StopRow{"EmptyRate", "10000", "", {std::string(warning::kEnterRate)}},
        StopRow{"BothEmptyWarnsForTheAmount", "", "", {std::string(warning::kEnterAmount)}}),
    RowName{});

// Inputs that are not numbers stop the command as empty ones do, named in
// the warning; the amount is looked at before the rate.
INSTANTIATE_TEST_SUITE_P(
    RefusedInputs, Stops,
    ::testing::Values(
        StopRow{"AmountOfLettersIsRefused",
                "abc",
                "5.31",
                {"还款金额“abc”不是数字。请只填数字，如 10000 或 10,000.00。"}},
        StopRow{"BlankAmountIsRefused",
                " ",
                "5.31",
                {"还款金额“ ”不是数字。请只填数字，如 10000 或 10,000.00。"}},
        StopRow{"RefusedAmountWarnsBeforeAnEmptyRate",
                "1万",
                "",
                {"还款金额“1万”不是数字。请只填数字，如 10000 或 10,000.00。"}},
        StopRow{
            "EmptyAmountWarnsBeforeARefusedRate", "", "5%", {std::string(warning::kEnterAmount)}},
        StopRow{"PercentRateIsRefused",
                "10000",
                "5%",
                {"月利率“5%”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。"}},
        StopRow{"PerMilleSignInTheRateIsRefused",
                "10000",
                "5.31‰",
                {"月利率“5.31‰”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。"}}),
    RowName{});

// What the command wrote before the error left it.
struct Written {
  std::string yqll, zcts, yqts, zclx, yqlx, l1Caption;
};

struct ErrorRow {
  const char* name;
  FieldValues before;
  ErrorCode code;
  std::optional<Written> written;  // nothing: no field changed
  std::string_view field;          // the field the error arose in
};

class Errors : public ::testing::TestWithParam<ErrorRow> {};

TEST_P(Errors, LeaveWithTheTypedErrorKeepingWhatWasWritten) {
  const ErrorRow& row = GetParam();
  FieldValues expected = row.before;
  if (row.written) {
    expected.yqll = row.written->yqll;
    expected.zcts = row.written->zcts;
    expected.yqts = row.written->yqts;
    expected.zclx = row.written->zclx;
    expected.yqlx = row.written->yqlx;
    expected.l1Caption = row.written->l1Caption;
  }
  FieldValues fields = row.before;
  try {
    CalculateCollecting(fields);
    ADD_FAILURE() << "no error";
  } catch (const FieldError& error) {
    EXPECT_EQ(error.code(), row.code);
    EXPECT_EQ(error.field(), row.field);
  }
  EXPECT_EQ(fields, expected);
}

FieldValues NotOverdue(std::string amount, std::string rate) {
  return Inputs(Ymd(2009, 1, 1), Ymd(2009, 7, 1), Ymd(2009, 5, 20), Ymd(2009, 1, 1),
                std::move(amount), std::move(rate), Method::kInterestOnly);
}

// The day counts of a loan repaid before it falls due, written before the
// rate is read for the interest.
const Written kDayCountsOnly{"0", "139", "0", "", "", ""};

INSTANTIATE_TEST_SUITE_P(
    Failures, Errors,
    ::testing::Values(ErrorRow{"OverdueRateBeyondTheRange", WithRate(kInterestOnly, "1.5e308"),
                               ErrorCode::kOverflow, std::nullopt, "yqll"},
                      ErrorRow{"RateBeyondTheRange", WithRate(kInterestOnly, "1e400"),
                               ErrorCode::kOverflow, std::nullopt, "ll"},
                      ErrorRow{"AmountBeyondTheRange", NotOverdue("1e400", "5.31"),
                               ErrorCode::kOverflow, kDayCountsOnly, "hkje"},
                      ErrorRow{"GroupedAmountBeyondTheRange", NotOverdue("1,000e400", "5.31"),
                               ErrorCode::kOverflow, kDayCountsOnly, "hkje"},
                      ErrorRow{"NormalInterestBeyondTheRange", NotOverdue("1e10", "1e308"),
                               ErrorCode::kOverflow, kDayCountsOnly, "zclx"},
                      ErrorRow{
                          "TotalBeyondTheRangeKeepsTheCaptionAndInterests",
                          Inputs(Ymd(2009, 1, 1), Ymd(2009, 7, 1), Ymd(2009, 7, 1), Ymd(2009, 1, 1),
                                 "1.7e308", "100", Method::kPrincipalAndInterest),
                          ErrorCode::kOverflow,
                          Written{"0", "181", "0", " 1.02566666666667E+308", " 0",
                                  std::string(kPrincipalAndInterestCaption)},
                          "hj"}),
    RowName{});

// Where a run leaves the clerk: the field its first warning names, and
// whether the figures come from dates out of order.
struct OutcomeRow {
  const char* name;
  FieldValues before;
  bool madeATotal;
  std::string_view warnedField;
  std::string_view dateWarning;
};

class Outcomes : public ::testing::TestWithParam<OutcomeRow> {};

TEST_P(Outcomes, NameTheWarnedFieldAndTheDateWarning) {
  const OutcomeRow& row = GetParam();
  FieldValues fields = row.before;
  const CalculateOutcome outcome = CalculateWithOutcome(fields, [](std::string_view) {});
  EXPECT_EQ(outcome.madeATotal, row.madeATotal);
  EXPECT_EQ(outcome.warnedField, row.warnedField);
  EXPECT_EQ(outcome.dateWarning, row.dateWarning);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Outcomes,
    ::testing::Values(
        OutcomeRow{"NoWarningNamesNothing", kInterestOnly, true, "", ""},
        OutcomeRow{"RefusedRateNamesTheRate", WithRate(kInterestOnly, "5,31"), false, "ll", ""},
        OutcomeRow{"RepaymentBeforeLoanNamesTheRepayment",
                   AtThree(Ymd(2009, 2, 1), Ymd(2009, 12, 1), Ymd(2009, 1, 2), Ymd(2009, 2, 1)),
                   true, "hkrq", warning::kRepaymentBeforeLoan},
        OutcomeRow{"NoMethodNamesTheMethod", WithoutMethod(kInterestOnly), false, "zjlx", ""},
        OutcomeRow{"DateWarningComesBeforeTheMethodWarning",
                   AtThree(Ymd(2009, 2, 1), Ymd(2009, 1, 1), Ymd(2009, 1, 1), Ymd(2009, 3, 1),
                           Method::kNone),
                   false, "dqrq", warning::kDueBeforeLoan}),
    RowName{});

}  // namespace
}  // namespace quillbary
