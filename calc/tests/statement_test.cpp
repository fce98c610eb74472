#include "quillbary/statement.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "quillbary/calculate.h"
#include "quillbary/number_parse.h"
#include "quillbary/working.h"
#include "test_dates.h"
#include "test_names.h"

namespace quillbary {
namespace {

using std::chrono::year_month_day;

FieldValues WorkedExample(std::string amount, bool interestOnly) {
  FieldValues f;
  f.jkrq = f.qxrq = Ymd(2009, 1, 1);
  f.dqrq = Ymd(2009, 7, 1);
  f.hkrq = Ymd(2009, 9, 30);
  f.hkje = std::move(amount);
  f.ll = "5.31";
  f.zjlx = interestOnly;
  f.hbjx = !interestOnly;
  Calculate(f, [](std::string_view) {});
  return f;
}

TEST(Statement, WorkedExampleAsPlainText) {
  const FieldValues f = WorkedExample("10000", true);
  const std::optional<Statement> statement = MakeStatement(f, "2026-12-08 09:30:00");
  ASSERT_TRUE(statement);
  std::string working;
  const std::optional<std::vector<WorkingLine>> lines = Working(f);
  for (const WorkingLine& line : *lines) working += "  " + line.Text() + "\n";
  EXPECT_EQ(StatementText(*statement),
            "还款利息计算单\n"
            "借款日期：2009-01-01\n到期日期：2009-07-01\n还款日期：2009-09-30\n"
            "起息日期：2009-01-01\n还款金额：10,000.00 元\n月利率：5.31‰\n还款方式：只结利息\n"
            "正常天数：181 天\n正常利息：320.37 元\n逾期天数：91 天\n逾期利率：7.965‰\n"
            "逾期利息：241.61 元\n利息合计：561.98 元\n合计大写：人民币伍佰陆拾壹元玖角捌分\n"
            "计算过程：\n" +
                working + "制表时间：2026-12-08 09:30:00\n经办人：\n复核：\n");
}

TEST(Statement, TotalWithoutCapitalsSaysSo) {
  const std::optional<Statement> statement = MakeStatement(WorkedExample("1e16", false), "");
  ASSERT_TRUE(statement);
  EXPECT_EQ(statement->figures.back().value, "（金额超出大写的范围，不写大写）");
  EXPECT_EQ(statement->figures[12].item, "本息合计");
}

// The statement's value of `item`.
std::string Figure(const Statement& statement, std::string_view item) {
  for (const StatementRow& row : statement.figures) {
    if (row.item == item) return row.value;
  }
  return "(no " + std::string(item) + ")";
}

struct FigureRow {
  std::string name;
  std::string amount;
  std::string rate;
  std::string item;
  std::string value;  // as the statement writes it
};

class VoucherFigureTest : public ::testing::TestWithParam<FigureRow> {};

TEST_P(VoucherFigureTest, WritesTheFieldsValueAsAVoucherDoes) {
  FieldValues f = WorkedExample(GetParam().amount, true);
  f.ll = GetParam().rate;
  Calculate(f, [](std::string_view) {});
  const std::optional<Statement> statement = MakeStatement(f, "");
  ASSERT_TRUE(statement);
  EXPECT_EQ(Figure(*statement, GetParam().item), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VoucherFigureTest,
    ::testing::Values(
        FigureRow{"AmountGetsSeparatorsTwoDecimalsAndYuan", "10000.", "5.31", "还款金额",
                  "10,000.00 元"},
        FigureRow{"AmountKeepsEveryDecimalTyped", "1234567.125", "5.31", "还款金额",
                  "1,234,567.125 元"},
        FigureRow{"AmountAsTheCalculationReadIt", " 10000元", "5.31", "还款金额", "10,000.00 元"},
        FigureRow{"AmountBelowOneGetsItsZero", ".5", "5.31", "还款金额", "0.50 元"},
        FigureRow{"HugeAmountInExponentForm", "1e16", "5.31", "还款金额", "1E+16 元"},
        FigureRow{"MoneyWithOneDecimalGetsTwo", "10000", "6", "逾期利息", "273.00 元"},
        FigureRow{"TotalInExponentFormStaysSo", "1e17", "5.31", "利息合计", "5.61975E+15 元"},
        FigureRow{"RateWithPerMille", "10000", "5.31", "月利率", "5.31‰"},
        FigureRow{"OverdueRateWithoutItsBlank", "10000", "5.31", "逾期利率", "7.965‰"},
        FigureRow{"OverdueRateBelowOneGetsItsZero", "10000", "0.3", "逾期利率", "0.45‰"},
        FigureRow{"DaysWithTian", "10000", "5.31", "逾期天数", "91 天"}),
    RowName{});

// Whatever the inputs, each figure of the statement reads back (without its
// unit and separators) to the value of its field: the voucher form only adds
// zeros and marks.
TEST(Statement, EveryFigureKeepsTheValueOfItsField) {
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> digits(1, 999'999'999);
  std::uniform_int_distribution<int> tenths(1, 200);
  const auto value = [](std::string text) {
    for (std::string_view mark : {",", " 元", " 天", "‰"}) {
      for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
        text.erase(at, mark.size());
      }
    }
    return ParseNumberStrict(text);
  };
  for (int i = 0; i < 500; ++i) {
    FieldValues f = WorkedExample(std::to_string(digits(random)) + "." + std::to_string(i), i % 2);
    f.ll = std::to_string(tenths(random) / 10.0);
    Calculate(f, [](std::string_view) {});
    const std::optional<Statement> statement = MakeStatement(f, "");
    ASSERT_TRUE(statement) << f.hkje;
    const std::pair<std::string_view, const std::string*> fields[] = {
        {"还款金额", &f.hkje}, {"月利率", &f.ll},     {"正常天数", &f.zcts}, {"正常利息", &f.zclx},
        {"逾期天数", &f.yqts}, {"逾期利率", &f.yqll}, {"逾期利息", &f.yqlx}};
    for (const auto& [item, field] : fields) {
      EXPECT_EQ(value(Figure(*statement, item)), ParseNumberStrict(*field))
          << item << " " << *field;
    }
    EXPECT_EQ(value(statement->figures[12].value), ParseNumberStrict(f.hj)) << f.hj;
  }
}

TEST(Statement, NoneWithoutATotal) {
  EXPECT_FALSE(MakeStatement(FieldValues{}, ""));
}

}  // namespace
}  // namespace quillbary
