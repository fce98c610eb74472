#include "test_journal.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "quillbary/calculate.h"
#include "test_dates.h"

namespace quillbary::journal {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "journal-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data());
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
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
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

int InChildAsNobody(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void GiveToNobody(const std::filesystem::path& path) {
  if (geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0) << path;
  }
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace quillbary::journal
