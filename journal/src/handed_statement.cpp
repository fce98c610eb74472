#include "quillbary/handed_statement.h"

namespace quillbary::journal {

std::string ReviewSignature(const BranchReview& review) {
  const std::string verdict = review.passed ? "" : "退回（" + review.reason + "） ";
  return verdict + review.reviewer + " " + review.reviewedAt;
}

std::string ReviewText(const std::optional<BranchReview>& review) {
  if (!review) return {};
  return review->passed ? "通过" : "退回：" + review->reason;
}

Statement HandedStatement(Statement statement, const StatementHeader& header,
                          const std::string& serial, const std::string& reprintOf,
                          const std::optional<BranchReview>& review) {
  if (review) {
    statement.signatures.resize(statement.signers.size());
    for (std::size_t i = 0; i < statement.signers.size(); ++i) {
      if (statement.signers[i] == "复核") statement.signatures[i] = ReviewSignature(*review);
    }
  }
  std::vector<StatementRow> lines;
  if (!reprintOf.empty()) lines.push_back({"补打", "原件出具于 " + reprintOf});
  const StatementRow candidates[] = {{"编号", serial},
                                     {"借款人", header.borrower},
                                     {"借据号", header.loanNumber},
                                     {"经办人", header.clerk}};
  for (const StatementRow& row : candidates) {
    if (!row.value.empty()) lines.push_back(row);
  }
  statement.figures.insert(statement.figures.begin(), lines.begin(), lines.end());
  return statement;
}

}  // namespace quillbary::journal
