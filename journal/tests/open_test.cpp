// Which files the journal opens, and how: a file that is not this program's
// journal of a version it knows is refused before anything in it changes, and
// a journal that cannot be written is still read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "test_journal.h"
#include "test_names.h"

namespace quillbary::journal {
namespace {

using Kind = JournalError::Kind;

std::unique_ptr<Journal> RecordOne(const std::filesystem::path& path) {
  auto journal = OpenAt(path);
  journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""});
  return journal;
}

// Opens the file (and, when it may write, records a statement): the error, or
// nothing.
std::optional<JournalError> OpenError(const std::filesystem::path& path, bool readOnly) {
  JournalOptions options;
  options.readOnly = readOnly;
  options.busyTimeoutMs = 200;
  try {
    auto journal = Journal::Open(path, options);
    if (!readOnly) journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""});
  } catch (const JournalError& error) {
    return error;
  }
  return std::nullopt;
}

enum class Start { kNothing, kJournal, kJournalV1 };

struct SchemaCase {
  std::string name;
  Start start;
  std::string sql;  // run on it next; empty for none
  std::optional<Kind> refused;
  std::optional<Kind> refusedReadOnly;
  std::string reason;  // part of what the refusal says
};

class Schema : public ::testing::TestWithParam<SchemaCase> {};

TEST_P(Schema, IsProvedBeforeAnythingIsWritten) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  if (GetParam().start == Start::kJournal) RecordOne(path);
  if (GetParam().start == Start::kJournalV1) std::filesystem::copy_file(QUILLBARY_JOURNAL_V1, path);
  // {next}: the version after this program's, whatever that is by then.
  std::string sql = GetParam().sql;
  if (const auto next = sql.find("{next}"); next != std::string::npos) {
    sql.replace(next, 6, std::to_string(kSchemaVersion + 1));
  }
  if (!sql.empty()) Sql(path, sql);
  const std::string before = FileBytes(path);

  // Read-only first, which never writes, whatever the file.
  for (const bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly ? "read-only" : "read-write");
    const std::optional<JournalError> error = OpenError(path, readOnly);
    const std::optional<Kind> kind = error ? std::optional(error->kind) : std::nullopt;
    EXPECT_EQ(kind, readOnly ? GetParam().refusedReadOnly : GetParam().refused)
        << (error ? error->reason : "");
    if (error || readOnly) {
      EXPECT_EQ(FileBytes(path), before);
    }
    if (!error) continue;
    EXPECT_NE(error->reason.find(GetParam().reason), std::string::npos) << error->reason;
    EXPECT_FALSE(std::filesystem::exists(path.string() + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(path.string() + "-shm"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Journal, Schema,
    ::testing::Values(
        SchemaCase{"version_minus_one", Start::kJournal, "PRAGMA user_version = -1",
                   Kind::kNotADatabase, Kind::kNotADatabase, "结构版本为 -1"},
        SchemaCase{"lowest_version", Start::kJournal, "PRAGMA user_version = -2147483648",
                   Kind::kNotADatabase, Kind::kNotADatabase, "结构版本为 -2147483648"},
        // In WAL mode: not even a -wal or -shm is made for it.
        SchemaCase{"version_zero_with_a_foreign_table", Start::kNothing,
                   "PRAGMA journal_mode = WAL; CREATE TABLE accounts(name TEXT)",
                   Kind::kNotADatabase, Kind::kNotADatabase, "其他程序"},
        SchemaCase{"version_one_of_another_program", Start::kNothing,
                   "CREATE TABLE entries(id INTEGER PRIMARY KEY, note TEXT); "
                   "CREATE TABLE serial_counters(year TEXT PRIMARY KEY, last INTEGER NOT NULL); "
                   "PRAGMA user_version = 1",
                   Kind::kNotADatabase, Kind::kNotADatabase, "其他程序"},
        SchemaCase{"version_two_of_another_program", Start::kNothing,
                   "CREATE TABLE accounts(name TEXT); PRAGMA user_version = 2",
                   Kind::kNotADatabase, Kind::kNotADatabase, "其他程序"},
        SchemaCase{"version_two_with_a_column_renamed", Start::kJournal,
                   "ALTER TABLE entries RENAME COLUMN clerk TO operator", Kind::kNotADatabase,
                   Kind::kNotADatabase, "其他程序"},
        SchemaCase{"version_after_this_programs_is_newer", Start::kJournal,
                   "PRAGMA user_version = {next}",
                   Kind::kNewerSchema, Kind::kNewerSchema, "较新版本"},
        SchemaCase{"journal_of_version_one", Start::kJournalV1, "", std::nullopt,
                   Kind::kNotADatabase, "升级"},
        SchemaCase{"journal_of_version_two", Start::kJournal, "", std::nullopt, std::nullopt,
                   ""}),
    RowName());

struct ReadOnlyCase {
  std::string name;
  mode_t fileMode;
  mode_t folderMode;
  bool entriesInItsWal;  // a copy taken while a writer had entries in the -wal
  std::optional<Kind> refused;
};

class ReadOnlyJournal : public ::testing::TestWithParam<ReadOnlyCase> {};

TEST_P(ReadOnlyJournal, IsCheckedWithoutWritingIt) {
  TempFolder folder;
  std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
  const auto room = folder / "room";
  std::filesystem::create_directory(room);
  const auto path = room / "journal.sqlite3";
  if (GetParam().entriesInItsWal) {
    const auto live = folder / "live.sqlite3";
    const auto writer = RecordOne(live);
    std::filesystem::copy_file(live, path);
    std::filesystem::copy_file(live.string() + "-wal", path.string() + "-wal");
  } else {
    RecordOne(path);
  }
  for (const auto& file : std::filesystem::directory_iterator(room)) GiveToNobody(file.path());
  GiveToNobody(room);
  ASSERT_EQ(chmod(path.c_str(), GetParam().fileMode), 0);
  ASSERT_EQ(chmod(room.c_str(), GetParam().folderMode), 0);
  const std::string before = FileBytes(path);

  // The entries the check counted, or 100 + the error's kind.
  const int result = InChildAsNobody([&path] {
    JournalOptions options;
    options.readOnly = true;
    try {
      const ChainCheck check = Journal::Open(path, options)->CheckChain();
      return check.intact ? static_cast<int>(check.entries) : 99;
    } catch (const JournalError& error) {
      return 100 + static_cast<int>(error.kind);
    }
  });
  chmod(room.c_str(), 0700);
  EXPECT_EQ(result, GetParam().refused ? 100 + static_cast<int>(*GetParam().refused) : 1);
  EXPECT_EQ(FileBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, ReadOnlyJournal,
    ::testing::Values(ReadOnlyCase{"file_0400", 0400, 0700, false, std::nullopt},
                      ReadOnlyCase{"folder_0500", 0600, 0500, false, std::nullopt},
                      // Read as it is on disk, the file would miss the -wal's entries.
                      ReadOnlyCase{"folder_0500_with_entries_in_the_wal", 0600, 0500, true,
                                   Kind::kReadOnly}),
    RowName());

// SQLite names the -wal and -shm after the file a link leads to; an output
// file given any of those names, or the link's, would damage the journal.
TEST(JournalFilesInUse, NameTheFilesSqliteUsesAndTheLink) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "real");
  OpenAt(folder / "real" / "journal.sqlite3");
  std::filesystem::create_symlink(folder / "real" / "journal.sqlite3", folder / "link.sqlite3");
  auto journal = OpenAt(folder / "link.sqlite3");
  journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""});

  const std::vector<std::filesystem::path> inUse = journal->FilesInUse();
  std::vector<std::filesystem::path> expected = {folder / "link.sqlite3"};
  for (const auto& file : std::filesystem::directory_iterator(folder / "real")) {
    expected.push_back(file.path());
  }
  EXPECT_EQ(expected.size(), 4u) << "the journal, its -wal and -shm, and the link";
  for (const auto& file : expected) {
    EXPECT_NE(std::find(inUse.begin(), inUse.end(), file), inUse.end()) << file;
  }
}

}  // namespace
}  // namespace quillbary::journal
