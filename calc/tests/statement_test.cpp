#include "quillbary/statement.h"

#include <gtest/gtest.h>

#include "quillbary/calculate.h"
#include "quillbary/working.h"
#include "test_dates.h"

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
  for (const WorkingLine& line : *lines) working += "计算过程：" + line.Text() + "\n";
  EXPECT_EQ(StatementText(*statement),
            "还款利息计算单\n"
            "借款日期：2009-01-01\n到期日期：2009-07-01\n还款日期：2009-09-30\n"
            "起息日期：2009-01-01\n还款金额：10000\n月利率(‰)：5.31\n还款方式：只结利息\n"
            "正常天数：181\n正常利息：320.37\n逾期天数：91\n逾期利率(‰)： 7.965\n"
            "逾期利息：241.61\n利息合计：561.98\n合计大写：人民币伍佰陆拾壹元玖角捌分\n" +
                working + "制表时间：2026-12-08 09:30:00\n经办人：\n复核：\n");
}

TEST(Statement, TotalWithoutCapitalsSaysSo) {
  const std::optional<Statement> statement = MakeStatement(WorkedExample("1e16", false), "");
  ASSERT_TRUE(statement);
  EXPECT_EQ(statement->figures.back().value, "（金额超出大写的范围，不写大写）");
  EXPECT_EQ(statement->figures[12].item, "本息合计");
}

TEST(Statement, NoneWithoutATotal) {
  EXPECT_FALSE(MakeStatement(FieldValues{}, ""));
}

}  // namespace
}  // namespace quillbary
