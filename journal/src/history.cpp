// The history's queries: statements newest first, filtered by what was
// typed, by date and by status, with bound parameters only.
#include <algorithm>

#include "entry_columns.h"
#include "quillbary/journal.h"
#include "sqlite_statement.h"

namespace quillbary::journal {
namespace {

StatementSummary ReadSummary(const SqliteStatement& row) {
  return {row.Int(0),  row.Text(1), row.Text(2), row.Text(3),     row.Text(4),
          row.Text(5), row.Text(6), row.Text(7), row.Int(8) != 0, static_cast<int>(row.Int(9)), std::nullopt};
}

// The history's status filter as a condition on a statement s: fixed SQL
// chosen by name, never built from what was typed.
std::string_view StatusCondition(StatusFilter status) {
  switch (status) {
    case StatusFilter::kAll:
      return "";
    case StatusFilter::kInForce:
      return "AND NOT EXISTS (SELECT 1 FROM entries v WHERE v.serial = s.serial "
             "AND v.kind = 'void') ";
    case StatusFilter::kVoided:
      return "AND EXISTS (SELECT 1 FROM entries v WHERE v.serial = s.serial "
             "AND v.kind = 'void') ";
    case StatusFilter::kReprinted:
      return "AND EXISTS (SELECT 1 FROM entries r WHERE r.serial = s.serial "
             "AND r.kind = 'reprint') ";
  }
  return "";
}

constexpr const char* kSelectSummary =
    "SELECT s.seq, s.serial, s.recorded_at, s.borrower, s.loan_number, s.amount, "
    "s.total_caption, s.total, "
    "EXISTS (SELECT 1 FROM entries v WHERE v.serial = s.serial AND v.kind = 'void'), "
    "(SELECT count(*) FROM entries r WHERE r.serial = s.serial AND r.kind = 'reprint') "
    "FROM entries s WHERE s.kind = 'statement' ";


}  // namespace

std::vector<StatementSummary> Journal::ListStatements(const StatementFilter& filter, int limit,
                                                      std::optional<std::int64_t> beforeSeq) {
  SqliteStatement query(db_.get(),
                        std::string(kSelectSummary) +
                            "AND (?1 = '' OR instr(s.find_text, ?2) > 0) "
                            "AND (?3 = '' OR substr(s.recorded_at, 1, 10) >= ?3) "
                            "AND (?4 = '' OR substr(s.recorded_at, 1, 10) <= ?4) " +
                            std::string(StatusCondition(filter.status)) +
                            "AND (?5 IS NULL OR s.seq < ?5) "
                            "ORDER BY s.seq DESC LIMIT ?6",
                        path_);
  // Latin letters match in either case (SQLite's lower() folds ASCII only).
  std::string folded = filter.text;
  std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  query.Bind(1, filter.text).Bind(2, folded);
  query.Bind(3, filter.fromDate).Bind(4, filter.toDate);
  if (beforeSeq) {
    query.Bind(5, *beforeSeq);
  } else {
    query.BindNull(5);
  }
  query.Bind(6, static_cast<std::int64_t>(limit));
  std::vector<StatementSummary> rows;
  while (query.Step()) rows.push_back(ReadSummary(query));
  for (StatementSummary& row : rows) row.review = LatestReview(row.serial);
  return rows;
}

void Journal::WarmHistoryIndex() {
  SqliteStatement read(db_.get(),
                       "SELECT max(length(find_text)) FROM entries INDEXED BY statements_to_find "
                       "WHERE kind = 'statement'",
                       path_);
  read.Step();
}

std::optional<StatementSummary> Journal::Summary(const std::string& serial) {
  SqliteStatement query(db_.get(), std::string(kSelectSummary) + "AND s.serial = ?1", path_);
  query.Bind(1, serial);
  if (!query.Step()) return std::nullopt;
  StatementSummary summary = ReadSummary(query);
  summary.review = LatestReview(serial);
  return summary;
}

std::vector<Entry> Journal::EntriesOf(const std::string& serial) {
  SqliteStatement query(db_.get(), std::string(kSelectEntry) + "WHERE serial = ?1 ORDER BY seq",
                        path_);
  query.Bind(1, serial);
  std::vector<Entry> entries;
  while (query.Step()) entries.push_back(FromColumns(ReadColumns(query)));
  return entries;
}

std::optional<Entry> Journal::FindStatement(const std::string& serial) {
  SqliteStatement query(db_.get(), std::string(kSelectEntry) + "WHERE kind = 'statement' AND serial = ?1",
                        path_);
  query.Bind(1, serial);
  if (!query.Step()) return std::nullopt;
  return FromColumns(ReadColumns(query));
}

std::optional<Entry> Journal::FindVoid(const std::string& serial) {
  SqliteStatement query(db_.get(), std::string(kSelectEntry) + "WHERE kind = 'void' AND serial = ?1",
                        path_);
  query.Bind(1, serial);
  if (!query.Step()) return std::nullopt;
  return FromColumns(ReadColumns(query));
}

std::string StatusText(bool voided, int reprints) {
  std::string text = voided ? "作废" : "";
  if (reprints > 0) {
    if (!text.empty()) text += "，";
    text += "补打 " + std::to_string(reprints) + " 次";
  }
  return text;
}

std::string StatusText(const StatementSummary& s) { return StatusText(s.voided, s.reprints); }


}  // namespace quillbary::journal
