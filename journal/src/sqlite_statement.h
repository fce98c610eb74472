// A prepared SQLite statement with bound parameters, and the mapping of
// SQLite's result codes to the journal's typed errors.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "quillbary/journal.h"

namespace quillbary::journal {

// The error for result code rc of db, naming what was being done.
[[noreturn]] void ThrowSqlite(sqlite3* db, int rc, const std::filesystem::path& path,
                              std::string_view doing);

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql, const std::filesystem::path& path);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters count from 1, as in SQL's ?1.
  SqliteStatement& Bind(int index, std::string_view text);
  SqliteStatement& Bind(int index, std::int64_t number);
  SqliteStatement& BindNull(int index);

  // True while a row is there to read.
  bool Step();
  std::string Text(int column) const;
  std::int64_t Int(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
  std::filesystem::path path_;  // a copy: a statement may outlive the caller's path
};

// Runs SQL without results (several statements allowed).
void Execute(sqlite3* db, const char* sql, const std::filesystem::path& path);

// BEGIN IMMEDIATE on construction; ROLLBACK unless committed, so a failed
// write leaves nothing of itself.
class Transaction {
 public:
  Transaction(sqlite3* db, const std::filesystem::path& path) : db_(db), path_(path) {
    Execute(db_, "BEGIN IMMEDIATE", path_);
  }
  ~Transaction() {
    if (!committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Execute(db_, "COMMIT", path_);
    committed_ = true;
  }

 private:
  sqlite3* db_;
  std::filesystem::path path_;  // a copy, for the messages
  bool committed_ = false;
};

}  // namespace quillbary::journal
