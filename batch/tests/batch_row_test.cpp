#include "quillbary/batch_row.h"

#include <gtest/gtest.h>

#include <cstdio>
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
  bool hasTotal;
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
  for (std::size_t c = 0; c < expected.size(); ++c) {
    EXPECT_EQ(outcome.cells[c], expected[c]) << kResultColumns[c];
  }
  EXPECT_EQ(outcome.hasTotal, GetParam().hasTotal);
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
                               {kTotalInCapitals, "伍佰陆拾壹元玖角捌分"}},
                              true},
                      RowCase{"WorkedExamplePrincipal",
                              With(kWorkedExample, &BatchRowInput::method, " 还本结息 "),
                              {{kNormalDays, "181"},
                               {kNormalInterest, "320.37"},
                               {kOverdueDays, "91"},
                               {kOverdueRate, "7.965"},
                               {kOverdueInterest, "241.61"},
                               {kTotalCaption, "本息合计"},
                               {kTotal, "10561.98"},
                               {kTotalInCapitals, "壹万零伍佰陆拾壹元玖角捌分"}},
                              true},
                      RowCase{"NoMethodWarnsAndHasNoTotal",
                              With(kWorkedExample, &BatchRowInput::method, ""),
                              {{kNormalDays, "181"},
                               {kNormalInterest, "320.37"},
                               {kOverdueDays, "91"},
                               {kOverdueRate, "7.965"},
                               {kOverdueInterest, "241.61"},
                               {kWarnings, "请选择还款方式！"}},
                              false},
                      RowCase{"WarningsJoinedInOrder",
                              With(With(kWorkedExample, &BatchRowInput::method, ""),
                                   &BatchRowInput::dueDate, "2008-12-31"),
                              {{kNormalDays, "0"},
                               {kNormalInterest, "0."},
                               {kOverdueDays, "272"},
                               {kOverdueRate, "7.965"},
                               {kOverdueInterest, "722.16"},
                               {kWarnings, "到款日期不能小于借款日期！；请选择还款方式！"}},
                              false},
                      RowCase{"EmptyAmountStops",
                              With(kWorkedExample, &BatchRowInput::amount, ""),
                              {{kWarnings, "请输入还款金额！"}},
                              false},
                      RowCase{"RateNotANumberIsTheRowsWarning",
                              With(kWorkedExample, &BatchRowInput::rate, "5%"),
                              {{kWarnings,
                                "月利率“5%”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。"}},
                              false},
                      RowCase{"OverflowIsTheRowsError",
                              With(kWorkedExample, &BatchRowInput::rate, "1.7E308"),
                              {{kError, "运行时错误 '6': 溢出"}},
                              false},
                      RowCase{"ImpossibleDateNamesItsColumn",
                              With(kWorkedExample, &BatchRowInput::repaymentDate, "2009-02-30"),
                              {{kError, "还款日期“2009-02-30”不是存在的日期"}},
                              false},
                      RowCase{"TwoBadDatesBothNamed",
                              With(With(kWorkedExample, &BatchRowInput::loanDate, ""),
                                   &BatchRowInput::startDate, "1600-01-01"),
                              {{kError,
                                "借款日期为空；起息日期“1600-01-01”超出 1601-01-01 至 9999-12-31"}},
                              false},
                      RowCase{"UnknownMethodIsAnError",
                              With(kWorkedExample, &BatchRowInput::method, "等额本息"),
                              {{kError, "还款方式“等额本息”应为只结利息、还本结息或空"}},
                              false}),
    [](const auto& info) { return std::string(info.param.name); });

// For random rows, the row's cells are the fields a Calculate over the same
// record leaves, the warnings the ones it gave, in order.
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
    std::string warnings, error;
    try {
      Calculate(fields, [&](std::string_view text) {
        warnings += warnings.empty() ? "" : "；";
        warnings += text;
      });
    } catch (const CalcError& e) {
      error = std::to_string(static_cast<int>(e.code()));
    }
    const auto unsigned_ = [](const std::string& field) {
      return field.starts_with(' ') ? field.substr(1) : field;
    };
    SCOPED_TRACE(std::string(amountCell) + " " + rateCell + " " + dates[0]);
    EXPECT_EQ(outcome.cells[kNormalDays], fields.zcts);
    EXPECT_EQ(outcome.cells[kNormalInterest], fields.zclx);
    EXPECT_EQ(outcome.cells[kOverdueDays], fields.yqts);
    EXPECT_EQ(outcome.cells[kOverdueRate], unsigned_(fields.yqll));
    EXPECT_EQ(outcome.cells[kOverdueInterest], fields.yqlx);
    EXPECT_EQ(outcome.cells[kTotal], fields.hjVisible ? fields.hj : "");
    EXPECT_EQ(outcome.hasTotal, fields.hjVisible);
    EXPECT_EQ(outcome.cells[kWarnings], warnings);
    EXPECT_EQ(outcome.cells[kError].empty(), error.empty());
    EXPECT_NE(outcome.cells[kError].find(error), std::string::npos);
  }
}

}  // namespace
}  // namespace quillbary::batch
