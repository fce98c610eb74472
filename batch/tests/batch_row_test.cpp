#include "quillbary/batch_row.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"

namespace quillbary::batch {
namespace {

struct RowCase {
  const char* name;
  BatchRowInput input;
  std::vector<std::pair<ResultColumn, const char*>> expected;  // the other cells are empty
  RowStatus status;
};

const BatchRowInput kWorkedExample{"2009-01-01", "2009-07-01", "2009-09-30", "2009-01-01",
                                   "10000",      "5.31",       "只结利息"};

BatchRowInput With(BatchRowInput row, std::string_view BatchRowInput::*field,
                   std::string_view value) {
  row.*field = value;
  return row;
}

class BatchRowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(BatchRowTest, FillsTheResultCells) {
  const RowOutcome outcome = CalculateRow(GetParam().input);
  ResultCells expected;
  for (const auto& [column, text] : GetParam().expected) expected[column] = text;
  expected[kStatus] = StatusWord(GetParam().status);
  for (std::size_t c = 0; c < expected.size(); ++c) {
    EXPECT_EQ(outcome.cells[c], expected[c]) << kResultColumns[c];
  }
  EXPECT_EQ(outcome.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Decisions, BatchRowTest,
    ::testing::Values(RowCase{"WorkedExampleInterestOnly",
                              kWorkedExample,
                              {{kNormalDays, "181"},
                               {kNormalInterest, "320.37"},
                               {kOverdueDays, "91"},
                               {kOverdueRate, "7.965"},
                               {kOverdueInterest, "241.61"},
                               {kTotalCaption, "利息合计"},
                               {kTotal, "561.98"},
                               {kTotalInCapitals, "人民币伍佰陆拾壹元玖角捌分"}},
                              RowStatus::kCalculated},
                      RowCase{"WorkedExamplePrincipal",
                              With(kWorkedExample, &BatchRowInput::method, " 还本结息 "),
                              {{kNormalDays, "181"},
                               {kNormalInterest, "320.37"},
                               {kOverdueDays, "91"},
                               {kOverdueRate, "7.965"},
                               {kOverdueInterest, "241.61"},
                               {kTotalCaption, "本息合计"},
                               {kTotal, "10561.98"},
                               {kTotalInCapitals, "人民币壹万零伍佰陆拾壹元玖角捌分"}},
                              RowStatus::kCalculated},
                      RowCase{"NoMethodIsWhyThereIsNoTotal",
                              With(kWorkedExample, &BatchRowInput::method, ""),
                              {{kNormalDays, "181"},
                               {kNormalInterest, "320.37"},
                               {kOverdueDays, "91"},
                               {kOverdueRate, "7.965"},
                               {kOverdueInterest, "241.61"},
                               {kError, "请选择还款方式！"}},
                              RowStatus::kNotCalculated},
                      RowCase{"DateWarningStaysAWarningBesideNoMethod",
                              With(With(kWorkedExample, &BatchRowInput::method, ""),
                                   &BatchRowInput::dueDate, "2008-12-31"),
                              {{kNormalDays, "0"},
                               {kNormalInterest, "0.00"},
                               {kOverdueDays, "272"},
                               {kOverdueRate, "7.965"},
                               {kOverdueInterest, "722.16"},
                               {kWarnings, "到款日期不能小于借款日期！"},
                               {kError, "请选择还款方式！"}},
                              RowStatus::kNotCalculated},
                      RowCase{"RepaidBeforeTheLoanHasTheWindowsFiguresButNoStatement",
                              With(kWorkedExample, &BatchRowInput::repaymentDate, "2008-09-30"),
                              {{kNormalDays, "-93"},
                               {kNormalInterest, "-164.61"},
                               {kOverdueDays, "0"},
                               {kOverdueRate, "0"},
                               {kOverdueInterest, "0.00"},
                               {kTotalCaption, "利息合计"},
                               {kTotal, "-164.61"},
                               {kTotalInCapitals, "人民币负壹佰陆拾肆元陆角壹分"},
                               {kWarnings, "还款日期不能小于借款日期！"}},
                              RowStatus::kDateOrder},
                      RowCase{"EmptyAmountStops",
                              With(kWorkedExample, &BatchRowInput::amount, ""),
                              {{kError, "请输入还款金额！"}},
                              RowStatus::kNotCalculated},
                      RowCase{"RateNotANumberIsTheRowsError",
                              With(kWorkedExample, &BatchRowInput::rate, "5%"),
                              {{kError,
                                "月利率“5%”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。"}},
                              RowStatus::kNotCalculated},
                      RowCase{"OverflowIsTheRowsError",
                              With(kWorkedExample, &BatchRowInput::rate, "1.7E308"),
                              {{kError, "运行时错误 '6': 溢出"}},
                              RowStatus::kNotCalculated},
                      RowCase{"ImpossibleDateNamesItsColumn",
                              With(kWorkedExample, &BatchRowInput::repaymentDate, "2009-02-30"),
                              {{kError, "还款日期“2009-02-30”不是存在的日期"}},
                              RowStatus::kNotCalculated},
                      RowCase{"TwoBadDatesBothNamed",
                              With(With(kWorkedExample, &BatchRowInput::loanDate, ""),
                                   &BatchRowInput::startDate, "1600-01-01"),
                              {{kError,
                                "借款日期为空；起息日期“1600-01-01”超出 1601-01-01 至 9999-12-31"}},
                              RowStatus::kNotCalculated},
                      RowCase{"UnknownMethodIsAnError",
                              With(kWorkedExample, &BatchRowInput::method, "等额本息"),
                              {{kError, "还款方式“等额本息”应为只结利息、还本结息或空"}},
                              RowStatus::kNotCalculated}),
    [](const auto& info) { return std::string(info.param.name); });

// A figure cell's value as a double: the window's text and the plain cell
// must give the same one.
double ValueOf(std::string text) {
  while (text.starts_with(' ')) text.erase(0, 1);
  return text.empty() ? -0.5 : std::strtod(text.c_str(), nullptr);
}

// For random rows, the row's cells hold the values of the fields a Calculate
// over the same record leaves, in plain decimal; the warnings are the ones it
// gave, in order, but for the one that left it without a total, which is the
// error; the status is 已算出 only for a total from dates in order.
TEST(BatchRowProperty, EqualsCalculateOnTheSameRecord) {
  std::mt19937 random(20091230);
  std::uniform_int_distribution<int> year(1990, 2030), month(1, 12), day(1, 28), method(0, 2);
  std::uniform_real_distribution<double> amount(0, 1e7), rate(0, 30);
  const std::vector<std::string> oddTexts{"", " ", "5%", "1e400", "-3", "１００", "abc", "0"};
  for (int i = 0; i < 2000; ++i) {
    char dates[4][16];
    std::chrono::year_month_day days[4];
    for (int d = 0; d < 4; ++d) {
      days[d] = {std::chrono::year{year(random)},
                 std::chrono::month{static_cast<unsigned>(month(random))},
                 std::chrono::day{static_cast<unsigned>(day(random))}};
      std::snprintf(dates[d], sizeof dates[d], "%d/%u/%u", static_cast<int>(days[d].year()),
                    static_cast<unsigned>(days[d].month()), static_cast<unsigned>(days[d].day()));
    }
    char amountText[32], rateText[32];
    std::snprintf(amountText, sizeof amountText, "%.2f", amount(random));
    std::snprintf(rateText, sizeof rateText, "%.3g", rate(random));
    std::string amountCell = amountText, rateCell = rateText;
    if (i % 10 == 0) amountCell = oddTexts[i / 10 % oddTexts.size()];
    if (i % 10 == 5) rateCell = oddTexts[i / 10 % oddTexts.size()];
    const int chosen = method(random);
    const std::string_view methodCell = chosen == 0 ? "" : chosen == 1 ? "只结利息" : "还本结息";

    const RowOutcome outcome =
        CalculateRow({dates[0], dates[1], dates[2], dates[3], amountCell, rateCell, methodCell});

    FieldValues fields;
    fields.jkrq = days[0];
    fields.dqrq = days[1];
    fields.hkrq = days[2];
    fields.qxrq = days[3];
    fields.hkje = amountCell;
    fields.ll = rateCell;
    fields.zjlx = chosen == 1;
    fields.hbjx = chosen == 2;
    std::vector<std::string> warned;
    std::string error;
    try {
      Calculate(fields, [&](std::string_view text) { warned.emplace_back(text); });
    } catch (const CalcError& e) {
      error = std::to_string(static_cast<int>(e.code()));
    }
    const bool dateOrder = std::any_of(warned.begin(), warned.end(), [](const std::string& w) {
      return w == warning::kDueBeforeLoan || w == warning::kRepaymentBeforeLoan ||
             w == warning::kStartBeforeLoan || w == warning::kStartAfterRepayment;
    });
    RowStatus status = RowStatus::kNotCalculated;
    if (error.empty() && fields.hjVisible) {
      status = dateOrder ? RowStatus::kDateOrder : RowStatus::kCalculated;
    } else if (error.empty() && !warned.empty()) {
      error = warned.back();
      warned.pop_back();
    }
    std::string warnings;
    for (const std::string& w : warned) warnings += (warnings.empty() ? "" : "；") + w;
    SCOPED_TRACE(std::string(amountCell) + " " + rateCell + " " + dates[0]);
    EXPECT_EQ(ValueOf(outcome.cells[kNormalDays]), ValueOf(fields.zcts));
    EXPECT_EQ(ValueOf(outcome.cells[kNormalInterest]), ValueOf(fields.zclx));
    EXPECT_EQ(ValueOf(outcome.cells[kOverdueDays]), ValueOf(fields.yqts));
    EXPECT_EQ(ValueOf(outcome.cells[kOverdueRate]), ValueOf(fields.yqll));
    EXPECT_EQ(ValueOf(outcome.cells[kOverdueInterest]), ValueOf(fields.yqlx));
    EXPECT_EQ(ValueOf(outcome.cells[kTotal]), ValueOf(fields.hjVisible ? fields.hj : ""));
    for (ResultColumn figure : {kNormalInterest, kOverdueInterest, kOverdueRate, kTotal}) {
      const std::string& cell = outcome.cells[figure];
      EXPECT_FALSE(cell.starts_with('.') || cell.starts_with(' ') || cell.ends_with('.') ||
                   cell.find('E') != std::string::npos)
          << cell;
    }
    EXPECT_EQ(outcome.status, status);
    EXPECT_EQ(outcome.cells[kWarnings], warnings);
    EXPECT_EQ(outcome.cells[kError].empty(), error.empty());
    EXPECT_NE(outcome.cells[kError].find(error), std::string::npos);
  }
}

}  // namespace
}  // namespace quillbary::batch
