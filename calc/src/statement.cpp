#include "quillbary/statement.h"

#include <algorithm>

#include "quillbary/calendar.h"
#include "quillbary/money_capitals.h"
#include "quillbary/working.h"

namespace quillbary {
namespace {

constexpr std::string_view kNoCapitals = "（金额超出大写的范围，不写大写）";

// " 利息  合计" -> "利息合计"
std::string CaptionWithoutBlanks(std::string caption) {
  caption.erase(std::remove(caption.begin(), caption.end(), ' '), caption.end());
  return caption;
}

}  // namespace

std::string TotalInCapitals(std::string_view total) {
  const std::optional<std::string> capitals = MoneyInCapitals(total);
  return capitals ? "人民币" + *capitals : std::string(kNoCapitals);
}

std::optional<Statement> MakeStatement(const FieldValues& f, std::string madeAt) {
  const std::optional<std::vector<WorkingLine>> working = Working(f);
  if (!working) return std::nullopt;

  Statement s;
  s.figures = {
      {"借款日期", IsoDateText(f.jkrq)},
      {"到期日期", IsoDateText(f.dqrq)},
      {"还款日期", IsoDateText(f.hkrq)},
      {"起息日期", IsoDateText(f.qxrq)},
      {"还款金额", f.hkje},
      {"月利率(‰)", f.ll},
      {"还款方式", f.zjlx ? "只结利息" : "还本结息"},
      {"正常天数", f.zcts},
      {"正常利息", f.zclx},
      {"逾期天数", f.yqts},
      {"逾期利率(‰)", f.yqll},
      {"逾期利息", f.yqlx},
      {CaptionWithoutBlanks(f.l1Caption), f.hj},
      {std::string(kCapitalsItem), TotalInCapitals(f.hj)},
  };
  for (const WorkingLine& line : *working) s.working.push_back(line.Text());
  s.madeAt = {"制表时间", std::move(madeAt)};
  s.signers = {"经办人", "复核"};
  return s;
}

std::string StatementText(const Statement& s) {
  std::string text(kStatementTitle);
  const auto add = [&text](std::string_view item, std::string_view value) {
    text += '\n';
    text += item;
    text += "：";
    text += value;
  };
  for (const StatementRow& row : s.figures) add(row.item, row.value);
  for (const std::string& line : s.working) add(kWorkingItem, line);
  add(s.madeAt.item, s.madeAt.value);
  for (const std::string& signer : s.signers) add(signer, "");
  return text + '\n';
}

}  // namespace quillbary
