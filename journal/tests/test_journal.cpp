#include "test_journal.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <random>
#include <sstream>

#include "quillbary/calculate.h"
#include "quillbary/path_text.h"
#include "test_dates.h"

namespace quillbary::journal {

TempFolder::TempFolder() {
  std::random_device seed;
  path_ = std::filesystem::temp_directory_path() /
          ("journal-test-" + std::to_string(seed()) + std::to_string(seed()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Statement SampleStatement(const std::string& amount) {
  FieldValues f;
  f.jkrq = f.qxrq = Ymd(2009, 1, 1);
  f.dqrq = Ymd(2009, 7, 1);
  f.hkrq = Ymd(2009, 9, 30);
  f.hkje = amount;
  f.ll = "5.31";
  f.zjlx = true;
  Calculate(f, [](std::string_view) {});
  return MakeStatement(f, "2026-03-03 09:59:00").value();
}

std::unique_ptr<Journal> OpenAt(const std::filesystem::path& path, std::string now,
                                int busyTimeoutMs) {
  JournalOptions options;
  options.busyTimeoutMs = busyTimeoutMs;
  options.programVersion = "1.00";
  options.clock = [now] { return now; };
  return Journal::Open(path, options);
}

void Sql(const std::filesystem::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(files::Utf8Of(path).c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

void Tamper(const std::filesystem::path& path, const std::string& sql) {
  Sql(path,
      "DROP TRIGGER IF EXISTS entries_never_change; DROP TRIGGER IF EXISTS entries_never_go; " +
          sql);
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace quillbary::journal
