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
//
// A reprint of a statement reviewed on the branch carries the latest review
// on its 复核 line (ReviewSignature): "复核：supervisor_s 2026-12-10 11:00:00",
// or for one sent back "复核：退回（借据号有误） supervisor_s 2026-12-10 11:00:00".
Statement HandedStatement(Statement statement, const StatementHeader& header,
                          const std::string& serial, const std::string& reprintOf = "",
                          const std::optional<BranchReview>& review = std::nullopt);

// What a review puts on the 复核 line, as above.
std::string ReviewSignature(const BranchReview& review);
// The history's 复核 column: "通过", "退回：借据号有误", or "" before any review.
std::string ReviewText(const std::optional<BranchReview>& review);

}  // namespace quillbary::journal
