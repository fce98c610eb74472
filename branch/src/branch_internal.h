// What the branch's source files share: the connection, and the way each
// piece of work runs in a transaction with the server's refusals turned into
// BranchError.
#pragma once

#include <pqxx/pqxx>

#include <string>
#include <string_view>

#include "quillbary/branch.h"

namespace quillbary::branch {

using Kind = BranchError::Kind;

// How many of the newest matching statements a text filter of the history
// looks through before it asks the gram index instead (branch_history.cpp);
// the tests lower it to take the second way with few rows.
extern int historyNewestLooked;

struct Branch::Connection {
  explicit Connection(const std::string& conninfo) : link(conninfo) {}
  pqxx::connection link;
};

// The server's own message, without libpq's "ERROR:  " and the trailing
// line break, and with our triggers' "quillbary: " prefix dropped.
inline std::string ServerReason(const std::exception& error) {
  std::string text = error.what();
  for (const std::string_view prefix : {"ERROR:  ", "FATAL:  "}) {
    if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
  }
  if (text.rfind("quillbary: ", 0) == 0) text.erase(0, 11);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  const std::size_t context = text.find("\nCONTEXT:");
  if (context != std::string::npos) text.erase(context);
  // libpq's hints follow on indented lines: one line for the clerk.
  std::string line;
  for (const char c : text) {
    if (c == '\n' || c == '\t') {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  return line;
}

// Runs `work` in a transaction of its own, turning the server's refusals into
// BranchError.
template <typename Work>
auto InTransaction(pqxx::connection& connection, Work&& work) {
  try {
    pqxx::work transaction(connection);
    auto result = work(transaction);
    transaction.commit();
    return result;
  } catch (const pqxx::broken_connection& error) {
    throw BranchError(Kind::kCannotConnect, "与分行数据库的连接已断开：" + ServerReason(error));
  } catch (const pqxx::insufficient_privilege& error) {
    throw BranchError(Kind::kRefused, "分行数据库拒绝了此操作：" + ServerReason(error));
  } catch (const pqxx::data_exception& error) {
    throw BranchError(Kind::kBrokenLink, "分行数据库拒绝了此条目：" + ServerReason(error));
  } catch (const pqxx::sql_error& error) {
    throw BranchError(Kind::kRefused, "分行数据库拒绝了此操作：" + ServerReason(error));
  }
}

inline Review ReviewOf(const pqxx::row& row) {
  Review review;
  review.id = row["id"].as<std::int64_t>();
  review.terminal = row["terminal"].c_str();
  review.serial = row["serial"].c_str();
  review.verdict = std::string_view(row["verdict"].c_str()) == "pass" ? Verdict::kPass
                                                                      : Verdict::kReturn;
  review.reason = row["reason"].c_str();
  review.reviewer = row["reviewer"].c_str();
  review.reviewedAt = row["at"].c_str();
  return review;
}

inline constexpr const char* kReviewColumns =
    "id, terminal, serial, verdict, reason, reviewer, "
    "to_char(reviewed_at, 'YYYY-MM-DD HH24:MI:SS') AS at";


}  // namespace quillbary::branch
