#include "quillbary/handed_statement.h"

namespace quillbary::journal {

Statement HandedStatement(Statement statement, const StatementHeader& header,
                          const std::string& serial, const std::string& reprintOf) {
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
