// The statement as it is handed on: numbered, with the lines a clerk filled
// in above the figures, and marked when it is a reprint.
#pragma once

#include <string>

#include "quillbary/journal.h"

namespace quillbary::journal {

// Puts the 编号, then the header lines that are not blank, before the
// figures; a reprint gets a first line 补打 with the time the original was
// handed on. An empty serial (no journal) gives no 编号 line.
// For serial "2026-000123", header {"张三", "", "李四"} and reprintOf
// "2026-03-03 10:00:00", StatementText begins:
//   还款利息计算单
//   补打：原件出具于 2026-03-03 10:00:00
//   编号：2026-000123
//   借款人：张三
//   经办人：李四
//   借款日期：2009-01-01
Statement HandedStatement(Statement statement, const StatementHeader& header,
                          const std::string& serial, const std::string& reprintOf = "");

}  // namespace quillbary::journal
