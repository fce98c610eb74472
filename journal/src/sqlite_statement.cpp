#include "sqlite_statement.h"

#include <string>

namespace quillbary::journal {

void ThrowSqlite(sqlite3* db, int rc, const std::filesystem::path& path, std::string_view doing) {
  using Kind = JournalError::Kind;
  const std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const std::string what = std::string(doing) + "：";
  switch (rc & 0xff) {
    case SQLITE_NOTADB:
      throw JournalError(Kind::kNotADatabase, path, what + "文件不是数据库（" + detail + "）");
    case SQLITE_READONLY:
      throw JournalError(Kind::kReadOnly, path, what + "文件只读，无法写入（" + detail + "）");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw JournalError(Kind::kLocked, path,
                         what + "文件被其他程序占用，等待超时（" + detail + "）");
    case SQLITE_FULL:
      throw JournalError(Kind::kDiskFull, path, what + "磁盘已满，本条未写入（" + detail + "）");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      throw JournalError(Kind::kCannotOpen, path, what + "无法打开文件（" + detail + "）");
    case SQLITE_CORRUPT:
      throw JournalError(Kind::kNotADatabase, path, what + "数据库已损坏（" + detail + "）");
    default:
      throw JournalError(Kind::kIo, path, what + detail);
  }
}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql,
                                 const std::filesystem::path& path)
    : db_(db), path_(path) {
  const int rc =
      sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr);
  if (rc != SQLITE_OK) ThrowSqlite(db, rc, path, "读取日志");
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(statement_);
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
  // SQLITE_TRANSIENT: SQLite copies the text, so temporaries may be bound.
  sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t number) {
  sqlite3_bind_int64(statement_, index, number);
  return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
  sqlite3_bind_null(statement_, index);
  return *this;
}

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  ThrowSqlite(db_, rc, path_, "读写日志");
}

std::string SqliteStatement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_, column);
  const int size = sqlite3_column_bytes(statement_, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
              : std::string();
}

std::int64_t SqliteStatement::Int(int column) const {
  return sqlite3_column_int64(statement_, column);
}

bool SqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

void Execute(sqlite3* db, const char* sql, const std::filesystem::path& path) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) ThrowSqlite(db, rc, path, "写入日志");
}

}  // namespace quillbary::journal
