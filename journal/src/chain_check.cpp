// Walking the chain: every entry in order, each hash recomputed and each
// link to the one before compared.
#include "entry_columns.h"
#include "quillbary/journal.h"
#include "sqlite_statement.h"

namespace quillbary::journal {
void Journal::ForEachEntry(const std::function<void(const Entry&)>& visit) {
  SqliteStatement query(db_.get(), std::string(kSelectEntry) + "ORDER BY seq", path_);
  while (query.Step()) {
    visit(FromColumns(ReadColumns(query)));
  }
}

std::int64_t Journal::EntryCount() {
  SqliteStatement query(db_.get(), "SELECT count(*) FROM entries", path_);
  return query.Step() ? query.Int(0) : 0;
}

ChainCheck Journal::CheckChain() {
  ChainCheck check;
  {
    SqliteStatement integrity(db_.get(), "PRAGMA integrity_check", path_);
    if (integrity.Step() && integrity.Text(0) != "ok") {
      check.intact = false;
      check.problem = "数据库文件已损坏：" + integrity.Text(0);
      return check;
    }
  }
  const auto fail = [&check](std::int64_t seq, std::string serial, std::string problem) {
    check.intact = false;
    check.firstBadSeq = seq;
    check.firstBadSerial = std::move(serial);
    check.problem = std::move(problem);
  };
  std::string previousHash(kNoHash);
  std::int64_t expectedSeq = 1;
  SqliteStatement query(db_.get(), std::string(kSelectEntry) + "ORDER BY seq", path_);
  while (query.Step()) {
    ++check.entries;
    const ColumnValues columns = ReadColumns(query);
    const std::int64_t seq = query.Int(ColumnIndex("seq"));
    const std::string& serial = columns[ColumnIndex("serial")];
    const std::string& hash = columns[ColumnIndex("hash")];
    if (seq != expectedSeq) {
      fail(seq, serial, "此条之前缺少第 " + std::to_string(expectedSeq) + " 条");
    } else if (columns[ColumnIndex("prev_hash")] != previousHash) {
      fail(seq, serial, "此条与前一条的链接不符（前一条被改动、删除或调换）");
    } else if (HashColumns(columns) != hash) {
      fail(seq, serial, "此条的内容与其哈希不符（内容被改动）");
    }
    if (!check.intact) return check;
    previousHash = hash;
    ++expectedSeq;
  }
  SqliteStatement used(db_.get(), "SELECT seq FROM sqlite_sequence WHERE name = 'entries'", path_);
  if (used.Step() && used.Int(0) >= expectedSeq) {
    fail(expectedSeq, "", "第 " + std::to_string(expectedSeq) + " 条及其后的条目已被删除");
  }
  return check;
}


}  // namespace quillbary::journal
