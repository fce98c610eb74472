#include <string>

#include "quillbary/branch.h"

namespace quillbary::branch {

std::string DayCloseTitle(const DayClose& close) {
  return "日终汇总 " + close.date + "（" + (close.terminal.empty() ? "全分行" : close.terminal) + "）";
}

journal::Table DayCloseTable(const DayClose& close) {
  journal::Table table;
  table.header = {"项目", "张数或次数", "金额（元）"};
  table.kinds = {journal::ColumnKind::kText, journal::ColumnKind::kCount,
                 journal::ColumnKind::kMoney};
  const auto count = [&](const char* item, std::int64_t n) {
    table.rows.push_back({item, std::to_string(n), ""});
  };
  table.rows.push_back({"日期", close.date, ""});
  table.rows.push_back({"范围", close.terminal.empty() ? "全分行" : close.terminal, ""});
  count("出具计息单", close.statements);
  count("再次交付", close.handOnsAgain);
  count("补打", close.reprints);
  count("作废", close.voids);
  count("批量计算", close.batchRuns);
  count("批量计算行数", close.batchRows);
  table.rows.push_back({"利息合计之和", "", close.interestTotalSum});
  table.rows.push_back({"本息合计之和", "", close.principalAndInterestSum});
  count("已复核", close.reviewed);
  count("待复核", close.pendingReview);
  for (const DayClose::Voided& voided : close.voided) {
    table.rows.push_back({"作废 " + voided.serial, voided.reason, ""});
  }
  for (const DayClose::Head& head : close.heads) {
    table.rows.push_back({"终端 " + head.terminal + " 链头", std::to_string(head.seq), head.hash});
    if (head.signedSeq > 0) {
      table.rows.push_back({"终端 " + head.terminal + " 签名确认", std::to_string(head.signedSeq),
                            head.signature});
    }
  }
  return table;
}

}  // namespace quillbary::branch
