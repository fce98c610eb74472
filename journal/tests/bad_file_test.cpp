// Files that are not this program's journal, or cannot be written now, are
// reported with a typed error and left exactly as they were.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "test_journal.h"
#include "test_names.h"

namespace quillbary::journal {
namespace {

using Kind = JournalError::Kind;

// A raw connection that runs sql and stays open while the row is tested.
std::shared_ptr<sqlite3> Connection(const std::filesystem::path& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  return {db, sqlite3_close};
}

void MakeJournal(const std::filesystem::path& path) {
  OpenAt(path)->RecordStatement({"张三", "", ""}, SampleStatement(), {HandOnKind::kCopy, ""});
}

struct BadFileCase {
  std::string name;
  // Makes the file; what it returns is held until the row is done.
  std::function<std::shared_ptr<void>(const std::filesystem::path&)> make;
  Kind kind;
  bool asAnotherUser = false;  // root writes anything: the row runs as nobody
};

// Opens the journal and records one statement: the kind of error, or nothing.
std::optional<Kind> OpenAndRecord(const std::filesystem::path& path) {
  try {
    OpenAt(path)->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""});
  } catch (const JournalError& error) {
    EXPECT_EQ(error.path, path);
    EXPECT_FALSE(error.reason.empty());
    return error.kind;
  }
  return std::nullopt;
}

// The same in a child process that gives up root first; -1 when it succeeded.
int OpenAndRecordAsNobody(const std::filesystem::path& path) {
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    const std::optional<Kind> kind = OpenAndRecord(path);
    _exit(kind ? static_cast<int>(*kind) : 101);
  }
  int status = 0;
  waitpid(child, &status, 0);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 102;
  return code == 101 ? -1 : code;
}

class BadFile : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(BadFile, IsReportedAndLeftUntouched) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  const std::shared_ptr<void> held = GetParam().make(path);
  const std::string before = FileBytes(path);

  if (GetParam().asAnotherUser && geteuid() == 0) {
    chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(OpenAndRecordAsNobody(path), static_cast<int>(GetParam().kind));
  } else {
    EXPECT_EQ(OpenAndRecord(path), GetParam().kind);
  }
  EXPECT_EQ(FileBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, BadFile,
    ::testing::Values(BadFileCase{"text_file",
                                  [](const auto& path) {
                                    std::ofstream(path) << std::string(5000, 'x') << "\n";
                                    return nullptr;
                                  },
                                  Kind::kNotADatabase},
                      BadFileCase{"another_programs_database",
                                  [](const auto& path) {
                                    Connection(path,
                                               "CREATE TABLE accounts(name TEXT); "
                                               "INSERT INTO accounts VALUES ('a')");
                                    return nullptr;
                                  },
                                  Kind::kNotADatabase},
                      BadFileCase{"newer_schema",
                                  [](const auto& path) {
                                    MakeJournal(path);
                                    Connection(path, ("PRAGMA user_version = " +
                                                     std::to_string(kSchemaVersion + 1))
                                                        .c_str());
                                    return nullptr;
                                  },
                                  Kind::kNewerSchema},
                      BadFileCase{"locked_past_the_timeout",
                                  [](const auto& path) -> std::shared_ptr<void> {
                                    MakeJournal(path);
                                    return Connection(
                                        path,
                                        "BEGIN EXCLUSIVE; "
                                        "INSERT INTO serial_counters VALUES ('1999', 1)");
                                  },
                                  Kind::kLocked},
                      BadFileCase{"held_in_exclusive_mode",
                                  [](const auto& path) -> std::shared_ptr<void> {
                                    MakeJournal(path);
                                    return Connection(path,
                                                      "PRAGMA locking_mode = EXCLUSIVE; "
                                                      "BEGIN EXCLUSIVE; COMMIT");
                                  },
                                  Kind::kLocked},
                      BadFileCase{"read_only",
                                  [](const auto& path) {
                                    MakeJournal(path);
                                    chmod(path.c_str(), 0444);
                                    return nullptr;
                                  },
                                  Kind::kReadOnly, true}),
    RowName());

TEST(JournalFile, IsMadeWithItsFoldersForItsOwnerAlone) {
  TempFolder folder;
  const auto path = folder / "a" / "b" / "journal.sqlite3";
  const mode_t permissive = umask(0);  // a umask that would leave the folder open to all
  MakeJournal(path);
  umask(permissive);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(path.parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(OpenAt(path)->EntryCount(), 1);
}

// A FIFO would block the read until someone wrote to it; a folder has no bytes.
TEST(FileSha256, RefusesWhatIsNotARegularFileWithoutWaiting) {
  TempFolder folder;
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  for (const std::filesystem::path& path : {folder / "fifo", folder.path()}) {
    try {
      FileSha256(path);
      ADD_FAILURE() << path << " has no digest";
    } catch (const JournalError& error) {
      EXPECT_EQ(error.kind, JournalError::Kind::kIo) << path;
    }
  }
}

}  // namespace
}  // namespace quillbary::journal
