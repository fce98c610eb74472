// Appending an entry: the tail checked, the next seq and 编号 taken, the
// entry hashed onto the chain, in one transaction.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "entry_columns.h"
#include "quillbary/journal.h"
#include "quillbary/path_text.h"
#include "sqlite_statement.h"

namespace quillbary::journal {
namespace {

// Wraps text in single quotes for a POSIX shell when it needs them.
std::string ShellWord(const std::string& text) {
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+=:,@%", c) ||
           static_cast<unsigned char>(c) >= 0x80;
  });
  if (plain) return text;
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// "INSERT INTO entries (seq, kind, …, hash) VALUES (?1, ?2, …, ?19)": named
// columns, since find_text is computed.
std::string InsertSql() {
  std::string values;
  for (std::size_t i = 0; i < kEntryColumns.size(); ++i) {
    values.append(i > 0 ? ", ?" : "?").append(std::to_string(i + 1));
  }
  return "INSERT INTO entries (" + ColumnList() + ") VALUES (" + values + ")";
}


// A statement handed on again or reprinted: its 编号 and how.
Entry HandedOnAgain(EntryKind kind, const std::string& serial, const HandOn& handOn) {
  Entry entry;
  entry.kind = kind;
  entry.serial = serial;
  entry.handOn = handOn;
  return entry;
}

}  // namespace

std::pair<std::int64_t, std::string> Journal::CheckedTail() {
  std::int64_t lastSeq = 0;
  std::string lastHash(kNoHash);
  std::string problem;
  {
    SqliteStatement last(db_.get(), std::string(kSelectEntry) + "ORDER BY seq DESC LIMIT 2", path_);
    if (last.Step()) {
      const ColumnValues columns = ReadColumns(last);
      constexpr int kHash = static_cast<int>(ColumnIndex("hash"));
      lastSeq = last.Int(ColumnIndex("seq"));
      lastHash = columns[kHash];
      const std::string before = last.Step() ? last.Text(kHash) : std::string(kNoHash);
      const std::string at = "最后一条（第 " + std::to_string(lastSeq) + " 条）";
      if (HashColumns(columns) != lastHash) {
        problem = at + "的内容与其哈希不符";
      } else if (columns[ColumnIndex("prev_hash")] != before) {
        problem = at + "与前一条的链接不符";
      }
    }
  }
  if (problem.empty()) {
    // The highest seq ever handed out: above the last entry's, entries were
    // removed from the end.
    SqliteStatement used(db_.get(), "SELECT seq FROM sqlite_sequence WHERE name = 'entries'", path_);
    const std::int64_t highest = used.Step() ? used.Int(0) : 0;
    if (highest > lastSeq) {
      problem = "第 " + std::to_string(lastSeq + 1) + " 条及其后的条目已被删除";
    } else if (highest < lastSeq) {
      problem = "记录的最大序号 " + std::to_string(highest) + " 小于最后一条的序号 " +
                std::to_string(lastSeq);
    }
  }
  if (!problem.empty()) {
    std::string command = "quillbary --check-journal";
    if (path_ != DefaultJournalPath()) command += " --journal " + ShellWord(files::Utf8Of(path_));
    throw JournalError(JournalError::Kind::kBrokenChain, path_,
                       "日志的哈希链已断：" + problem + "。本条未记录，以免接在被改动的日志之后；" +
                           "请运行 " + command + " 检查");
  }
  return {lastSeq, lastHash};
}

Entry Journal::Append(Entry entry, SerialUse serialUse, const BeforeCommit& beforeCommit) {
  Transaction transaction(db_.get(), path_);
  entry.recordedAt = options_.clock();
  entry.programVersion = options_.programVersion;

  std::int64_t lastSeq = 0;
  std::tie(lastSeq, entry.previousHash) = CheckedTail();
  entry.seq = lastSeq + 1;

  if (serialUse == SerialUse::kNew) {
    const std::string year = entry.recordedAt.substr(0, 4);
    SqliteStatement counter(db_.get(),
                            "INSERT INTO serial_counters(year, last) VALUES (?1, 1) "
                            "ON CONFLICT(year) DO UPDATE SET last = last + 1 RETURNING last",
                            path_);
    counter.Bind(1, year);
    counter.Step();
    const std::int64_t number = counter.Int(0);
    // A terminal of a branch puts its name between the year and the number,
    // so that no two machines of the branch hand out the same 编号.
    const std::string terminal = Terminal();
    char serial[48];
    if (terminal.empty()) {
      std::snprintf(serial, sizeof serial, "%s-%06lld", year.c_str(),
                    static_cast<long long>(number));
    } else {
      std::snprintf(serial, sizeof serial, "%s-%s-%06lld", year.c_str(), terminal.c_str(),
                    static_cast<long long>(number));
    }
    entry.serial = serial;
  } else if (serialUse == SerialUse::kExisting) {
    const std::optional<StatementSummary> summary = Summary(entry.serial);
    if (!summary) {
      throw JournalError(JournalError::Kind::kNoSuchStatement, path_,
                         "日志中没有编号为 " + entry.serial + " 的计息单");
    }
    if (summary->voided) {
      throw JournalError(JournalError::Kind::kAlreadyVoided, path_,
                         "编号为 " + entry.serial + " 的计息单已作废");
    }
  }

  ColumnValues columns = ToColumns(entry);
  entry.hash = columns[ColumnIndex("hash")] = HashColumns(columns);
  static const std::string kInsert = InsertSql();
  SqliteStatement insert(db_.get(), kInsert, path_);
  for (std::size_t i = 0; i < columns.size(); ++i) insert.Bind(static_cast<int>(i + 1), columns[i]);
  insert.Step();
  if (beforeCommit) beforeCommit(entry);  // may throw: the transaction rolls back
  transaction.Commit();
  return entry;
}

Entry Journal::RecordStatement(const StatementHeader& header, const Statement& statement,
                               const HandOn& handOn, const BeforeCommit& beforeCommit) {
  Entry entry;
  entry.kind = EntryKind::kStatement;
  entry.header = header;
  entry.statement = statement;
  entry.handOn = handOn;
  return Append(std::move(entry), SerialUse::kNew, beforeCommit);
}

Entry Journal::RecordHandOnAgain(const std::string& serial, const HandOn& handOn,
                                 const BeforeCommit& beforeCommit) {
  return Append(HandedOnAgain(EntryKind::kHandOnAgain, serial, handOn), SerialUse::kExisting,
                beforeCommit);
}

Entry Journal::RecordVoid(const std::string& serial, const std::string& reason,
                          const std::string& clerk) {
  if (!HasNonBlank(reason)) {
    throw JournalError(JournalError::Kind::kNoReason, path_, "作废须写明原因");
  }
  Entry entry;
  entry.kind = EntryKind::kVoid;
  entry.serial = serial;
  entry.reason = reason;
  entry.header.clerk = clerk;
  return Append(std::move(entry), SerialUse::kExisting);
}

Entry Journal::RecordReprint(const std::string& serial, const HandOn& handOn,
                             const BeforeCommit& beforeCommit) {
  return Append(HandedOnAgain(EntryKind::kReprint, serial, handOn), SerialUse::kExisting,
                beforeCommit);
}

Entry Journal::RecordBatchRun(const BatchRunRecord& run, const BeforeCommit& beforeCommit) {
  Entry entry;
  entry.kind = EntryKind::kBatchRun;
  entry.batchRun = run;
  return Append(std::move(entry), SerialUse::kNone, beforeCommit);
}


std::optional<BranchMembership> Journal::Membership() {
  // A journal only read is not migrated: one of an older version has no table.
  SqliteStatement table(db_.get(),
                        "SELECT count(*) FROM sqlite_master WHERE name = 'branch_terminal'", path_);
  if (!table.Step() || table.Int(0) == 0) return std::nullopt;
  SqliteStatement row(db_.get(), "SELECT terminal, conninfo, joined_at FROM branch_terminal",
                      path_);
  if (!row.Step()) return std::nullopt;
  return BranchMembership{row.Text(0), row.Text(1), row.Text(2)};
}

std::string Journal::Terminal() {
  const std::optional<BranchMembership> membership = Membership();
  return membership ? membership->terminal : std::string();
}

void Journal::JoinTerminal(const std::string& terminal, const std::string& conninfo) {
  Transaction transaction(db_.get(), path_);
  const std::string joined = Terminal();
  if (!joined.empty()) {
    throw JournalError(JournalError::Kind::kAlreadyJoined, path_,
                       "本机日志已是分行终端 " + joined + " 的日志，不能再加入为 " + terminal);
  }
  SqliteStatement insert(db_.get(),
                         "INSERT INTO branch_terminal(terminal, conninfo, joined_at) "
                         "VALUES (?1, ?2, ?3)",
                         path_);
  insert.Bind(1, terminal);
  insert.Bind(2, conninfo);
  insert.Bind(3, options_.clock());
  insert.Step();
  transaction.Commit();
}

}  // namespace quillbary::journal
