// The branch history: the statements of every terminal, found a page at a
// time.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "branch_internal.h"

namespace quillbary::branch {

// A text is first sought among this many newest statements (within the dates,
// after the page before): a common text fills its page there, after a few
// hundred. One that does not is rare (held by fewer than `limit` of those)
// and is then found through statements_to_find, reading only the statements
// that hold it. The tests make it small to reach that way.
int historyNewestLooked = 20000;

namespace {

// The history's order, newest first, by byte order whatever the server's
// locale (statements_newest_first's).
std::string NewestFirst(const std::string& alias) {
  return alias + ".recorded_at COLLATE \"C\" DESC, " + alias + ".terminal COLLATE \"C\" DESC, " +
         alias + ".seq DESC";
}

// The query's parameters, numbered as they are added.
struct Params {
  std::vector<std::string> values;
  std::string Add(std::string value) {
    values.push_back(std::move(value));
    return "$" + std::to_string(values.size());
  }
};

// Latin capitals made small, nothing else: statement_find_text's folding.
std::string FoldLatin(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

// The conditions statements_newest_first answers by itself, on statement s:
// the dates and the page before.
std::string RangeConditions(const BranchFilter& filter, const std::optional<BranchStatement>& after,
                            Params& params) {
  std::string sql;
  if (!filter.fromDate.empty()) {
    sql += " AND s.recorded_at COLLATE \"C\" >= " + params.Add(filter.fromDate);
  }
  // Every time of the last day sorts before the day followed by '~'.
  if (!filter.toDate.empty()) {
    sql += " AND s.recorded_at COLLATE \"C\" < " + params.Add(filter.toDate + "~");
  }
  if (after) {
    sql += " AND (s.recorded_at COLLATE \"C\", s.terminal COLLATE \"C\", s.seq) < (" +
           params.Add(after->recordedAt) + ", " + params.Add(after->terminal) + ", " +
           params.Add(std::to_string(after->seq)) + ")";
  }
  return sql;
}

// The other conditions on a statement `alias` (with its terminal, seq and
// serial): its terminal, the clerk who uploaded it (`clerk`, an expression),
// its latest review. Fixed SQL chosen by name, values bound.
std::string OtherConditions(const BranchFilter& filter, const std::string& alias,
                            const std::string& clerk, Params& params) {
  std::string sql;
  if (!filter.terminal.empty()) sql += " AND " + alias + ".terminal = " + params.Add(filter.terminal);
  if (!filter.clerk.empty()) sql += " AND " + clerk + " = " + params.Add(filter.clerk);
  const std::string reviews = "FROM reviews r WHERE r.terminal = " + alias +
                              ".terminal AND r.serial = " + alias + ".serial";
  const std::string latest = "(SELECT r.verdict " + reviews + " ORDER BY r.id DESC LIMIT 1)";
  switch (filter.review) {
    case ReviewFilter::kAll:
      break;
    case ReviewFilter::kPending:
      sql += " AND NOT EXISTS (SELECT " + reviews + ")";
      break;
    case ReviewFilter::kPassed:
      sql += " AND " + latest + " = 'pass'";
      break;
    case ReviewFilter::kReturned:
      sql += " AND " + latest + " = 'return'";
      break;
  }
  return sql;
}

// The page's keys (recorded_at, terminal, seq, shown, last) with each
// statement's whole row, its void, reprints and latest review.
std::string WithDetails(const std::string& keys) {
  return "SELECT p.shown, p.last, e.terminal, e.seq, e.serial, e.recorded_at, e.uploaded_by, "
         "e.borrower, e.loan_number, e.amount, e.total_caption, e.total, "
         "EXISTS (SELECT FROM entries v WHERE v.serial = e.serial AND v.kind = 'void' "
         "AND v.terminal = e.terminal) AS voided, "
         "(SELECT count(*) FROM entries r WHERE r.serial = e.serial AND r.kind = 'reprint' "
         "AND r.terminal = e.terminal) AS reprints, "
         "lr.id, lr.verdict, lr.reason, lr.reviewer, lr.at "
         "FROM (" + keys + ") p JOIN entries e ON e.terminal = p.terminal AND e.seq = p.seq "
         "LEFT JOIN LATERAL (SELECT " + std::string(kReviewColumns) +
         " FROM reviews r WHERE r.terminal = e.terminal AND r.serial = e.serial "
         "ORDER BY r.id DESC LIMIT 1) lr ON true ORDER BY " + NewestFirst("p");
}

BranchStatement StatementOf(const pqxx::row& row) {
  BranchStatement statement;
  statement.terminal = row["terminal"].c_str();
  statement.seq = row["seq"].as<std::int64_t>();
  statement.serial = row["serial"].c_str();
  statement.recordedAt = row["recorded_at"].c_str();
  statement.clerk = row["uploaded_by"].c_str();
  statement.borrower = row["borrower"].c_str();
  statement.loanNumber = row["loan_number"].c_str();
  statement.amount = row["amount"].c_str();
  statement.totalCaption = row["total_caption"].c_str();
  statement.total = row["total"].c_str();
  statement.voided = row["voided"].as<bool>();
  statement.reprints = row["reprints"].as<int>();
  if (!row["id"].is_null()) statement.review = ReviewOf(row);
  return statement;
}

struct Page {
  std::vector<BranchStatement> rows;
  bool lookedAtAll = true;  // false when the newest statements looked at ran out first
};

Page Run(pqxx::work& transaction, const std::string& keys, const Params& params) {
  Page page;
  for (const pqxx::row& row : transaction.exec_params(
           WithDetails(keys), pqxx::prepare::make_dynamic_params(params.values))) {
    if (row["last"].as<bool>()) page.lookedAtAll = false;
    if (row["shown"].as<bool>()) page.rows.push_back(StatementOf(row));
  }
  return page;
}

// Statements matching every condition but the text, newest first.
std::string PlainKeys(const BranchFilter& filter, const std::optional<BranchStatement>& after,
                      const std::string& textCondition, int limit, Params& params) {
  std::string sql =
      "SELECT s.recorded_at, s.terminal, s.seq, true AS shown, false AS last FROM entries s "
      "WHERE s.kind = 'statement'" + RangeConditions(filter, after, params) +
      OtherConditions(filter, "s", "s.uploaded_by", params) + textCondition;
  return sql + " ORDER BY " + NewestFirst("s") + " LIMIT " + params.Add(std::to_string(limit));
}

}  // namespace

std::vector<BranchStatement> Branch::FindStatements(const BranchFilter& filter,
                                                    const std::optional<BranchStatement>& after,
                                                    int limit) {
  if (limit <= 0) return {};
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    // A page of a hundred comes sooner from one server process than from
    // helpers started for it.
    transaction.exec("SET LOCAL max_parallel_workers_per_gather = 0");
    if (filter.text.empty()) {
      Params params;
      return Run(transaction, PlainKeys(filter, after, "", limit, params), params).rows;
    }
    const std::string needle = FoldLatin(filter.text);
    const std::string findText = "statement_find_text(s.borrower, s.loan_number, s.serial)";
    {
      // The newest statements looked at one by one, until the page is full
      // or historyNewestLooked have been: the last of those comes back, as
      // `last`, whether it is shown or not. Each level names its rows s, so
      // that the conditions on a statement read the same at every level.
      Params params;
      const std::string range = RangeConditions(filter, after, params);
      const std::string looked = params.Add(std::to_string(historyNewestLooked));
      const std::string clerk =
          "(SELECT x.uploaded_by FROM entries x WHERE x.terminal = s.terminal AND x.seq = s.seq)";
      const std::string holds = "strpos(" + findText + ", " + params.Add(needle) + ") > 0" +
                                OtherConditions(filter, "s", clerk, params);
      const std::string keys =
          "SELECT s.recorded_at, s.terminal, s.seq, s.shown, s.looked = " + looked + " AS last "
          "FROM (SELECT s.*, (" + holds + ") AS shown "
          "  FROM (SELECT s.recorded_at, s.terminal, s.seq, s.serial, s.borrower, s.loan_number, "
          "          row_number() OVER (ORDER BY " + NewestFirst("s") + ") AS looked "
          "        FROM entries s WHERE s.kind = 'statement'" + range +
          "        ORDER BY " + NewestFirst("s") + " LIMIT " + looked + ") s) s "
          "WHERE s.shown OR s.looked = " + looked +
          " ORDER BY " + NewestFirst("s") + " LIMIT " + params.Add(std::to_string(limit));
      Page page = Run(transaction, keys, params);
      if (page.lookedAtAll || static_cast<int>(page.rows.size()) >= limit) return page.rows;
    }
    // A rare text. The server, guessing how many statements hold it, might
    // still walk the history newest first: statements_to_find is made its
    // only way in.
    transaction.exec(
        "SET LOCAL enable_seqscan = off; SET LOCAL enable_indexscan = off; "
        "SET LOCAL enable_indexonlyscan = off");
    Params params;
    const std::string text = params.Add(needle);
    const std::string keys = PlainKeys(
        filter, after,
        " AND statement_grams(" + findText + ") @> needle_grams(" + text + ") AND strpos(" +
            findText + ", " + text + ") > 0",
        limit, params);
    return Run(transaction, keys, params).rows;
  });
}

std::vector<std::string> Branch::Terminals() {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    std::vector<std::string> terminals;
    // T99 before T100.
    for (const pqxx::row& row : transaction.exec(
             "SELECT terminal FROM terminals ORDER BY length(terminal), terminal COLLATE \"C\"")) {
      terminals.emplace_back(row[0].c_str());
    }
    return terminals;
  });
}

std::vector<std::string> Branch::Clerks() {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    std::vector<std::string> clerks;
    // One step of entries_by_clerk per clerk, rather than every entry read.
    for (const pqxx::row& row : transaction.exec(R"sql(
      WITH RECURSIVE clerk AS (
        (SELECT uploaded_by AS name FROM entries ORDER BY uploaded_by LIMIT 1)
        UNION ALL
        SELECT (SELECT e.uploaded_by FROM entries e WHERE e.uploaded_by > clerk.name
                ORDER BY e.uploaded_by LIMIT 1)
        FROM clerk WHERE clerk.name IS NOT NULL)
      SELECT name FROM clerk WHERE name IS NOT NULL ORDER BY name)sql")) {
      clerks.emplace_back(row[0].c_str());
    }
    return clerks;
  });
}

}  // namespace quillbary::branch
