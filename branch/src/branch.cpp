#include "quillbary/branch.h"

#include <libpq-fe.h>
#include <pqxx/pqxx>

#include <string_view>
#include <utility>

#include "branch_internal.h"
#include "branch_schema.h"
#include "terminal_key.h"

namespace quillbary::branch {

const int kBranchSchemaVersion = 1;

BranchError::BranchError(Kind kind, std::string reason)
    : std::runtime_error(reason), kind(kind), reason(std::move(reason)) {}

using Kind = BranchError::Kind;

std::optional<std::string> PasswordIn(const std::string& conninfo) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
  if (options == nullptr) {
    std::string reason = error != nullptr ? error : "无法解析";
    PQfreemem(error);
    while (!reason.empty() && reason.back() == '\n') reason.pop_back();
    return "连接串有误：" + reason;
  }
  std::optional<std::string> found;
  for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    if (std::string_view(option->keyword) == "password" && option->val != nullptr &&
        *option->val != '\0') {
      found = "连接串中含有密码：密码请放在 ~/.pgpass 或服务文件中，不要写在连接串里";
    }
  }
  PQconninfoFree(options);
  return found;
}

std::string WithConnectTimeout(const std::string& conninfo) {
  PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), nullptr);
  if (options == nullptr) return conninfo;  // libpq will say what is wrong
  bool set = false;
  for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    if (std::string_view(option->keyword) == "connect_timeout" && option->val != nullptr &&
        *option->val != '\0') {
      set = true;
    }
  }
  PQconninfoFree(options);
  if (set) return conninfo;
  const bool uri = conninfo.starts_with("postgresql://") || conninfo.starts_with("postgres://");
  if (!uri) return conninfo + " connect_timeout=" + std::to_string(kConnectTimeoutSeconds);
  return conninfo + (conninfo.find('?') == std::string::npos ? "?" : "&") +
         "connect_timeout=" + std::to_string(kConnectTimeoutSeconds);
}

std::string VerdictName(Verdict verdict) { return verdict == Verdict::kPass ? "通过" : "退回"; }

journal::BranchReview JournalCopyOf(const Review& review) {
  return {review.id,     review.serial,   review.verdict == Verdict::kPass,
          review.reason, review.reviewer, review.reviewedAt};
}

Branch::Branch(const std::string& conninfo) {
  if (const std::optional<std::string> password = PasswordIn(conninfo)) {
    throw BranchError(Kind::kCannotConnect, *password);
  }
  try {
    connection_ = std::make_unique<Connection>(WithConnectTimeout(conninfo));
  } catch (const std::exception& error) {
    throw BranchError(Kind::kCannotConnect, "连接不上分行数据库：" + ServerReason(error));
  }
}

Branch::~Branch() = default;

void Branch::Init() {
  InTransaction(connection_->link, [](pqxx::work& transaction) {
    if (!transaction.exec("SELECT to_regclass('quillbary_schema')")[0][0].is_null()) {
      throw BranchError(Kind::kAlreadyMade, "分行数据库已经建立过，未作改动");
    }
    transaction.exec(kBranchSchemaSql);
    return 0;
  });
}

void Branch::RequireSchema() {
  const int version = InTransaction(connection_->link, [](pqxx::work& transaction) {
    if (transaction.exec("SELECT to_regclass('quillbary_schema')")[0][0].is_null()) return 0;
    return transaction.exec("SELECT max(version) FROM quillbary_schema")[0][0].as<int>(0);
  });
  if (version != kBranchSchemaVersion) {
    throw BranchError(Kind::kNotABranch,
                      version == 0 ? "这个数据库不是分行数据库：请先由数据库所有者运行 "
                                     "quillbary --init-branch"
                                   : "分行数据库的结构版本为 " + std::to_string(version) +
                                         "，本程序为 " + std::to_string(kBranchSchemaVersion));
  }
}

std::string Branch::Join(const std::string& publicKeyHex) {
  RequireSchema();
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    return std::string(transaction
                           .exec_params("INSERT INTO terminals(terminal, public_key) VALUES "
                                        "('T' || lpad(nextval('terminal_numbers')::text, 2, '0'), "
                                        "$1) RETURNING terminal",
                                        publicKeyHex)[0][0]
                           .c_str());
  });
}

void Branch::PutCheckpoint(const std::string& terminal, std::int64_t seq, const std::string& hash,
                           const std::string& signature) {
  InTransaction(connection_->link, [&](pqxx::work& transaction) {
    transaction.exec_params(
        "INSERT INTO checkpoints(terminal, seq, hash, signature) VALUES ($1, $2, $3, $4) "
        "ON CONFLICT (terminal, seq) DO NOTHING",
        terminal, seq, hash, signature);
    return 0;
  });
}

std::vector<Checkpoint> Branch::Checkpoints(const std::string& terminal) {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    std::vector<Checkpoint> checkpoints;
    for (const pqxx::row& row : transaction.exec_params(
             "SELECT c.terminal, c.seq, c.hash, c.signature, t.public_key, "
             "coalesce(e.hash, '') FROM checkpoints c JOIN terminals t USING (terminal) "
             "LEFT JOIN entries e ON e.terminal = c.terminal AND e.seq = c.seq "
             "WHERE $1 = '' OR c.terminal = $1 ORDER BY c.terminal, c.seq",
             terminal)) {
      checkpoints.push_back({row[0].c_str(), row[1].as<std::int64_t>(), row[2].c_str(),
                             row[3].c_str(), row[4].c_str(), row[5].c_str()});
    }
    return checkpoints;
  });
}

std::int64_t Branch::Head(const std::string& terminal) {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    return transaction
        .exec_params("SELECT coalesce(max(seq), 0) FROM entries WHERE terminal = $1", terminal)[0][0]
        .as<std::int64_t>();
  });
}

UploadResult Branch::Upload(const std::string& terminal,
                            const std::vector<journal::Entry>& entries) {
  UploadResult result;
  for (const journal::Entry& entry : entries) {
    const bool sent = InTransaction(connection_->link, [&](pqxx::work& transaction) {
      const pqxx::result held = transaction.exec_params(
          "SELECT hash FROM entries WHERE terminal = $1 AND seq = $2", terminal, entry.seq);
      if (!held.empty()) {
        if (held[0][0].c_str() == entry.hash) return false;
        throw BranchError(Kind::kDivergence,
                          "分行数据库中终端 " + terminal + " 的第 " + std::to_string(entry.seq) +
                              " 条与本机日志不同（编号 " + entry.serial + "）：两份链已分叉");
      }
      const auto column = [&](std::string_view name) {
        return journal::StoredColumn(entry, name);
      };
      const std::int64_t batchRows =
          entry.kind == journal::EntryKind::kBatchRun ? entry.batchRun.rowsRead : 0;
      transaction.exec_params(
          "INSERT INTO entries(terminal, seq, kind, serial, recorded_at, clerk, borrower, "
          "loan_number, amount, total_caption, total, handed_on, reason, batch_rows, prev_hash, "
          "hash, hash_input) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, "
          "$15, $16, $17)",
          terminal, entry.seq, column("kind"), entry.serial, entry.recordedAt, column("clerk"),
          column("borrower"), column("loan_number"), journal::PlainFigure(column("amount")),
          column("total_caption"), journal::PlainFigure(column("total")), column("handed_on"),
          entry.reason, batchRows, entry.previousHash, entry.hash, journal::HashInputOf(entry));
      return true;
    });
    ++(sent ? result.sent : result.alreadyThere);
    result.serverHead = entry.seq;
    result.headHash = entry.hash;
  }
  if (entries.empty()) result.serverHead = Head(terminal);
  return result;
}

Review Branch::RecordReview(const std::string& terminal, const std::string& serial,
                            Verdict verdict, const std::string& reason) {
  if (verdict == Verdict::kReturn && !journal::HasNonBlank(reason)) {
    throw BranchError(Kind::kRefused, "退回须写明原因");
  }
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    return ReviewOf(transaction.exec_params1(
        std::string("INSERT INTO reviews(terminal, serial, verdict, reason) "
                    "VALUES ($1, $2, $3, $4) RETURNING ") +
            kReviewColumns,
        terminal, serial, verdict == Verdict::kPass ? "pass" : "return", reason));
  });
}

std::vector<Review> Branch::ReviewsOf(const std::string& terminal, const std::string& serial) {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    std::vector<Review> reviews;
    for (const pqxx::row& row :
         transaction.exec_params(std::string("SELECT ") + kReviewColumns +
                                     " FROM reviews WHERE terminal = $1 AND serial = $2 "
                                     "ORDER BY id",
                                 terminal, serial)) {
      reviews.push_back(ReviewOf(row));
    }
    return reviews;
  });
}

std::vector<Review> Branch::ReviewsOfTerminal(const std::string& terminal, std::int64_t afterId) {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    std::vector<Review> reviews;
    for (const pqxx::row& row :
         transaction.exec_params(std::string("SELECT ") + kReviewColumns +
                                     " FROM reviews WHERE terminal = $1 AND id > $2 ORDER BY id",
                                 terminal, afterId)) {
      reviews.push_back(ReviewOf(row));
    }
    return reviews;
  });
}

std::optional<journal::Entry> Branch::StatementEntry(const std::string& terminal,
                                                     const std::string& serial) {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    const pqxx::result rows = transaction.exec_params(
        "SELECT hash_input FROM entries WHERE terminal = $1 AND serial = $2 "
        "AND kind = 'statement'",
        terminal, serial);
    if (rows.empty()) return std::optional<journal::Entry>();
    return journal::EntryFromHashInput(rows[0][0].c_str());
  });
}

DayClose Branch::CloseOfDay(const std::string& date, const std::string& terminal) {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    DayClose close;
    close.date = date;
    close.terminal = terminal;
    // A statement counts in the sums while it is in force (no void of it has
    // reached the server), whenever its void was recorded.
    const pqxx::row counts = transaction.exec_params1(R"sql(
      WITH day AS (
        SELECT * FROM entries WHERE substr(recorded_at, 1, 10) = $1 AND ($2 = '' OR terminal = $2)),
      in_force AS (
        SELECT d.* FROM day d WHERE d.kind = 'statement' AND d.total ~ '^-?[0-9]+(\.[0-9]+)?$'
          AND NOT EXISTS (SELECT FROM entries v WHERE v.terminal = d.terminal
                          AND v.serial = d.serial AND v.kind = 'void')),
      reviewed AS (
        SELECT d.terminal, d.serial FROM day d WHERE d.kind = 'statement'
          AND EXISTS (SELECT FROM reviews r WHERE r.terminal = d.terminal AND r.serial = d.serial))
      SELECT
        (SELECT count(*) FROM day WHERE kind = 'statement'),
        (SELECT count(*) FROM day WHERE kind = 'handon'),
        (SELECT count(*) FROM day WHERE kind = 'reprint'),
        (SELECT count(*) FROM day WHERE kind = 'void'),
        (SELECT count(*) FROM day WHERE kind = 'batch'),
        (SELECT coalesce(sum(batch_rows), 0) FROM day WHERE kind = 'batch'),
        (SELECT coalesce(sum(total::numeric), 0)::numeric(20, 2)::text FROM in_force
          WHERE total_caption = '利息合计'),
        (SELECT coalesce(sum(total::numeric), 0)::numeric(20, 2)::text FROM in_force
          WHERE total_caption = '本息合计'),
        (SELECT count(*) FROM reviewed))sql",
                                                      date, terminal);
    close.statements = counts[0].as<std::int64_t>();
    close.handOnsAgain = counts[1].as<std::int64_t>();
    close.reprints = counts[2].as<std::int64_t>();
    close.voids = counts[3].as<std::int64_t>();
    close.batchRuns = counts[4].as<std::int64_t>();
    close.batchRows = counts[5].as<std::int64_t>();
    close.interestTotalSum = counts[6].c_str();
    close.principalAndInterestSum = counts[7].c_str();
    close.reviewed = counts[8].as<std::int64_t>();
    close.pendingReview = close.statements - close.reviewed;
    for (const pqxx::row& row : transaction.exec_params(
             "SELECT DISTINCT ON (e.terminal) e.terminal, e.seq, e.hash, "
             "  coalesce(c.seq, 0), coalesce(c.signature, '') FROM entries e "
             "LEFT JOIN LATERAL (SELECT seq, signature FROM checkpoints k "
             "  WHERE k.terminal = e.terminal ORDER BY seq DESC LIMIT 1) c ON true "
             "WHERE $1 = '' OR e.terminal = $1 ORDER BY e.terminal, e.seq DESC",
             terminal)) {
      close.heads.push_back({row[0].c_str(), row[1].as<std::int64_t>(), row[2].c_str(),
                             row[3].as<std::int64_t>(), row[4].c_str()});
    }
    for (const pqxx::row& row : transaction.exec_params(
             "SELECT terminal, serial, reason, clerk FROM entries WHERE kind = 'void' "
             "AND substr(recorded_at, 1, 10) = $1 AND ($2 = '' OR terminal = $2) "
             "ORDER BY recorded_at, terminal, seq",
             date, terminal)) {
      close.voided.push_back({row[0].c_str(), row[1].c_str(), row[2].c_str(), row[3].c_str()});
    }
    return close;
  });
}

std::vector<std::pair<std::int64_t, std::string>> Branch::Hashes(const std::string& terminal) {
  return InTransaction(connection_->link, [&](pqxx::work& transaction) {
    std::vector<std::pair<std::int64_t, std::string>> hashes;
    for (const pqxx::row& row : transaction.exec_params(
             "SELECT seq, hash FROM entries WHERE terminal = $1 ORDER BY seq", terminal)) {
      hashes.emplace_back(row[0].as<std::int64_t>(), row[1].c_str());
    }
    return hashes;
  });
}

std::vector<TerminalChainCheck> Branch::CheckChains() {
  std::vector<TerminalChainCheck> checks = InTransaction(connection_->link, [&](pqxx::work& transaction) {
    // The first fault of each kind per terminal; the lowest seq is named.
    const pqxx::result rows = transaction.exec(R"sql(
      WITH checked AS (
        SELECT e.terminal, e.seq,
               encode(sha256(convert_to(e.hash_input, 'UTF8')), 'hex') <> e.hash AS bad_hash,
               e.prev_hash IS DISTINCT FROM
                 CASE WHEN e.seq = 1 THEN repeat('0', 64) ELSE p.hash END AS bad_link,
               e.seq > 1 AND p.seq IS NULL AS after_gap
        FROM entries e LEFT JOIN entries p ON p.terminal = e.terminal AND p.seq = e.seq - 1)
      SELECT t.terminal, count(c.seq),
             min(c.seq) FILTER (WHERE c.bad_hash),
             min(c.seq) FILTER (WHERE c.after_gap),
             min(c.seq) FILTER (WHERE c.bad_link AND NOT c.after_gap)
      FROM terminals t LEFT JOIN checked c ON c.terminal = t.terminal
      GROUP BY t.terminal ORDER BY t.terminal)sql");
    std::vector<TerminalChainCheck> checks;
    for (const pqxx::row& row : rows) {
      TerminalChainCheck check;
      check.terminal = row[0].c_str();
      check.entries = row[1].as<std::int64_t>();
      const auto consider = [&](int column, const std::string& problem) {
        if (row[column].is_null()) return;
        const auto seq = row[column].as<std::int64_t>();
        if (check.whole || seq < check.firstBadSeq) {
          check.whole = false;
          check.firstBadSeq = seq;
          check.problem = problem;
        }
      };
      consider(2, "内容与其哈希不符：已被改动");
      consider(3, "之前缺了记录：链中有空缺");
      consider(4, "与前一条的哈希不相接：链已断");
      checks.push_back(check);
    }
    return checks;
  });
  // Each checkpoint must bear its terminal's signature and name an entry
  // the server still holds, as it was: a tail cut on the server shows here.
  for (const Checkpoint& checkpoint : Checkpoints()) {
    for (TerminalChainCheck& check : checks) {
      if (check.terminal != checkpoint.terminal) continue;
      std::string problem;
      if (!CheckpointSignatureHolds(checkpoint.publicKey, checkpoint.terminal, checkpoint.seq,
                                    checkpoint.hash, checkpoint.signature)) {
        problem = "的检查点签名无效";
      } else if (checkpoint.entryHash.empty()) {
        problem = "已由终端签名确认，分行数据库中却没有了：链尾已被删去";
      } else if (checkpoint.entryHash != checkpoint.hash) {
        problem = "与终端签名确认的不同：已被改动";
      }
      if (!problem.empty() && (check.whole || checkpoint.seq < check.firstBadSeq)) {
        check.whole = false;
        check.firstBadSeq = checkpoint.seq;
        check.problem = problem;
      }
    }
  }
  return checks;
}

ServerCopyCheck CompareWithServerCopy(journal::Journal& journal, Branch& branch,
                                      const std::string& terminal) {
  const auto held = branch.Hashes(terminal);
  std::vector<std::string> local;  // local[seq - 1] is the entry's hash
  journal.ForEachEntry([&](const journal::Entry& entry) {
    if (entry.seq == static_cast<std::int64_t>(local.size()) + 1) local.push_back(entry.hash);
  });
  ServerCopyCheck check;
  check.serverEntries = static_cast<std::int64_t>(held.size());
  // The terminal's newest signed head: the journal must still reach it.
  const std::vector<Checkpoint> checkpoints = branch.Checkpoints(terminal);
  if (!checkpoints.empty()) {
    const Checkpoint& newest = checkpoints.back();
    const auto seq = static_cast<std::size_t>(newest.seq);
    if (!CheckpointSignatureHolds(newest.publicKey, terminal, newest.seq, newest.hash,
                                  newest.signature)) {
      check.problem = "分行数据库中终端 " + terminal + " 这一条的检查点签名无效";
    } else if (seq > local.size()) {
      check.problem = "本机日志只到第 " + std::to_string(local.size()) + " 条，而本终端已签名确认到第 " +
                      std::to_string(newest.seq) + " 条：日志末尾的记录已从本机消失";
    } else if (local[seq - 1] != newest.hash) {
      check.problem = "与本终端签名确认的不同：本机日志的这一条已被改动";
    }
    if (!check.problem.empty()) {
      check.agrees = false;
      check.firstBadSeq = newest.seq;
    }
  }
  for (const auto& [seq, hash] : held) {
    if (!check.agrees && check.firstBadSeq <= seq) break;
    if (seq > static_cast<std::int64_t>(local.size())) {
      check.problem = "本机日志只到第 " + std::to_string(local.size()) + " 条，分行数据库中终端 " +
                      terminal + " 已有 " + std::to_string(held.size()) +
                      " 条：日志末尾的记录已从本机消失";
    } else if (local[static_cast<std::size_t>(seq - 1)] != hash) {
      check.problem = "与分行数据库中终端 " + terminal + " 的同一条不同：本机日志的这一条已被改动";
    } else {
      continue;
    }
    check.agrees = false;
    check.firstBadSeq = seq;
    break;
  }
  return check;
}

UploadResult UploadPending(journal::Journal& journal, Branch& branch, const std::string& terminal) {
  const std::int64_t head = branch.Head(terminal);
  std::vector<journal::Entry> pending;
  journal.ForEachEntry([&](const journal::Entry& entry) {
    if (entry.seq > head) pending.push_back(entry);
  });
  if (pending.empty()) {
    UploadResult result;  // nothing to send: the head just read, not asked again
    result.serverHead = head;
    return result;
  }
  return branch.Upload(terminal, pending);
}

UploadResult CopyToBranch(journal::Journal& journal, Branch& branch, const std::string& terminal,
                          const std::filesystem::path& keyFile) {
  const UploadResult result = UploadPending(journal, branch, terminal);
  if (result.sent > 0 && !result.headHash.empty()) {
    if (const std::optional<TerminalKey> key = LoadTerminalKey(keyFile)) {
      branch.PutCheckpoint(terminal, result.serverHead, result.headHash,
                           CheckpointSignature(*key, terminal, result.serverHead, result.headHash));
    }
  }
  return result;
}

std::string JoinBranch(journal::Journal& journal, const std::string& conninfo,
                       const std::filesystem::path& keyFile, UploadResult* copied) {
  if (const auto membership = journal.Membership()) {
    throw journal::JournalError(journal::JournalError::Kind::kAlreadyJoined, journal.path(),
                                "本机日志已是分行终端 " + membership->terminal + " 的日志");
  }
  Branch branch(conninfo);
  const TerminalKey key = MakeTerminalKey();
  const std::string terminal = branch.Join(PublicKeyHex(key));
  SaveTerminalKey(keyFile, key);
  journal.JoinTerminal(terminal, conninfo);
  const UploadResult result = CopyToBranch(journal, branch, terminal, keyFile);
  if (copied != nullptr) *copied = result;
  return terminal;
}

}  // namespace quillbary::branch
