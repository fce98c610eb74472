// The copies of the branch's reviews of this terminal's statements.
#include "quillbary/journal.h"
#include "sqlite_statement.h"

namespace quillbary::journal {

void Journal::KeepReviews(const std::vector<BranchReview>& reviews) {
  Transaction transaction(db_.get(), path_);
  for (const BranchReview& review : reviews) {
    SqliteStatement insert(db_.get(),
                           "INSERT OR IGNORE INTO branch_reviews"
                           "(id, serial, verdict, reason, reviewer, reviewed_at) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                           path_);
    insert.Bind(1, review.id).Bind(2, review.serial);
    insert.Bind(3, review.passed ? "pass" : "return").Bind(4, review.reason);
    insert.Bind(5, review.reviewer).Bind(6, review.reviewedAt);
    insert.Step();
  }
  transaction.Commit();
}

std::int64_t Journal::LastReviewId() {
  SqliteStatement query(db_.get(), "SELECT coalesce(max(id), 0) FROM branch_reviews", path_);
  return query.Step() ? query.Int(0) : 0;
}

std::optional<BranchReview> Journal::LatestReview(const std::string& serial) {
  SqliteStatement query(db_.get(),
                        "SELECT id, serial, verdict, reason, reviewer, reviewed_at "
                        "FROM branch_reviews WHERE serial = ?1 ORDER BY id DESC LIMIT 1",
                        path_);
  query.Bind(1, serial);
  if (!query.Step()) return std::nullopt;
  return BranchReview{query.Int(0),  query.Text(1), query.Text(2) == "pass",
                      query.Text(3), query.Text(4), query.Text(5)};
}

}  // namespace quillbary::journal
