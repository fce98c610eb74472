// The hash chain: whatever a tamperer changes, removes or reorders in the
// file, the check names the first entry that no longer matches.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "quillbary/path_text.h"
#include "test_journal.h"
#include "test_names.h"

namespace quillbary::journal {
namespace {

// Five entries: 1 statement A, 2 A copied again, 3 statement B, 4 B voided,
// 5 statement C.
void RecordFive(const std::filesystem::path& path) {
  auto journal = OpenAt(path);
  const Entry a = journal->RecordStatement({"张三", "JD-1", "李四"}, SampleStatement(),
                                           {HandOnKind::kPrint, ""});
  journal->RecordHandOnAgain(a.serial, {HandOnKind::kCopy, ""});
  const Entry b = journal->RecordStatement({"王五", "JD-2", "李四"}, SampleStatement("20000"),
                                           {HandOnKind::kPdf, "/tmp/b.pdf"});
  journal->RecordVoid(b.serial, "金额录错");
  journal->RecordStatement({}, SampleStatement("300"), {HandOnKind::kCopy, ""});
}

struct TamperCase {
  std::string name;
  std::string sql;
  std::int64_t firstBadSeq;  // 0: intact
};

class ChainTamper : public ::testing::TestWithParam<TamperCase> {};

TEST_P(ChainTamper, NamesTheFirstEntryThatNoLongerMatches) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  RecordFive(path);
  if (!GetParam().sql.empty()) Tamper(path, GetParam().sql);

  const ChainCheck check = OpenAt(path)->CheckChain();
  EXPECT_EQ(check.intact, GetParam().firstBadSeq == 0) << check.problem;
  EXPECT_EQ(check.firstBadSeq, GetParam().firstBadSeq) << check.problem;
  if (check.intact) {
    EXPECT_EQ(check.entries, 5);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Journal, ChainTamper,
    ::testing::Values(
        TamperCase{"untouched", "", 0},
        TamperCase{"borrower_of_the_first_edited",
                   "UPDATE entries SET borrower = '张' WHERE seq = 1", 1},
        TamperCase{
            "a_figure_edited",
            "UPDATE entries SET figures = replace(figures, '561.98', '961.98') WHERE seq = 1", 1},
        TamperCase{"total_column_edited", "UPDATE entries SET total = '1.00' WHERE seq = 3", 3},
        TamperCase{"void_reason_edited", "UPDATE entries SET reason = '' WHERE seq = 4", 4},
        TamperCase{
            "hash_rewritten",
            "UPDATE entries SET hash = (SELECT hash FROM entries WHERE seq = 1) WHERE seq = 2", 2},
        TamperCase{"middle_entry_deleted", "DELETE FROM entries WHERE seq = 3", 4},
        TamperCase{"first_entry_deleted", "DELETE FROM entries WHERE seq = 1", 2},
        TamperCase{"last_entry_deleted", "DELETE FROM entries WHERE seq = 5", 5},
        TamperCase{"two_entries_swapped",
                   "UPDATE entries SET seq = 100 WHERE seq = 2; "
                   "UPDATE entries SET seq = 2 WHERE seq = 3; "
                   "UPDATE entries SET seq = 3 WHERE seq = 100",
                   2},
        TamperCase{"serial_renumbered", "UPDATE entries SET serial = '2026-000009' WHERE seq = 5",
                   5}),
    RowName());

TEST(JournalChain, PlainSqlCannotChangeOrDeleteAnEntry) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  RecordFive(path);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(files::Utf8Of(path).c_str(), &db), SQLITE_OK);
  for (const char* sql : {"UPDATE entries SET borrower = 'x'", "DELETE FROM entries"}) {
    EXPECT_NE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  }
  sqlite3_close(db);
  EXPECT_TRUE(OpenAt(path)->CheckChain().intact);
}

struct SerialCase {
  std::string name;
  std::vector<std::string> clock;  // the time of each statement recorded
  std::vector<std::string> serials;
};

class SerialNumbers : public ::testing::TestWithParam<SerialCase> {};

TEST_P(SerialNumbers, RunPerYearFromOne) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  std::vector<std::string> serials;
  for (const std::string& now : GetParam().clock) {
    serials.push_back(
        OpenAt(path, now)->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""}).serial);
  }
  EXPECT_EQ(serials, GetParam().serials);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, SerialNumbers,
    ::testing::Values(
        SerialCase{"one_year",
                   {"2026-01-01 00:00:00", "2026-12-31 23:59:59"},
                   {"2026-000001", "2026-000002"}},
        SerialCase{"a_new_year_starts_at_one",
                   {"2026-12-31 23:59:59", "2027-01-01 00:00:00", "2027-01-02 08:00:00"},
                   {"2026-000001", "2027-000001", "2027-000002"}},
        SerialCase{"an_old_year_goes_on",
                   {"2026-05-01 10:00:00", "2027-01-01 10:00:00", "2026-12-31 10:00:00"},
                   {"2026-000001", "2027-000001", "2026-000002"}}),
    RowName());

// Removed with the record of its seq, so that recording goes on (see
// ChainTail): its 编号 still is not handed out again.
TEST(JournalSerials, AreNeverReusedEvenWhenTheLastEntryIsRemoved) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  RecordFive(path);
  Tamper(path,
         "DELETE FROM entries WHERE seq = 5; "
         "UPDATE sqlite_sequence SET seq = 4 WHERE name = 'entries'");
  const Entry next = OpenAt(path)->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""});
  EXPECT_EQ(next.serial, "2026-000004");
  EXPECT_EQ(next.seq, 5);
}

struct TailCase {
  std::string name;
  std::string sql;
  bool refused;
};

class ChainTail : public ::testing::TestWithParam<TailCase> {};

TEST_P(ChainTail, IsCheckedBeforeAnEntryIsAppended) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  RecordFive(path);
  if (!GetParam().sql.empty()) Tamper(path, GetParam().sql);
  auto journal = OpenAt(path);
  const std::int64_t before = journal->EntryCount();

  try {
    journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""});
    EXPECT_FALSE(GetParam().refused);
  } catch (const JournalError& error) {
    EXPECT_TRUE(GetParam().refused) << error.reason;
    EXPECT_EQ(error.kind, JournalError::Kind::kBrokenChain);
    EXPECT_NE(error.reason.find("quillbary --check-journal"), std::string::npos) << error.reason;
  }
  EXPECT_EQ(journal->EntryCount(), before + (GetParam().refused ? 0 : 1));
}

INSTANTIATE_TEST_SUITE_P(
    Journal, ChainTail,
    ::testing::Values(
        TailCase{"intact", "", false},
        TailCase{"last_entry_edited", "UPDATE entries SET total = '1.00' WHERE seq = 5", true},
        TailCase{"entry_before_the_last_deleted", "DELETE FROM entries WHERE seq = 4", true},
        TailCase{"last_entry_deleted", "DELETE FROM entries WHERE seq = 5", true},
        // What is left is a whole, shorter chain: neither the tail nor the full
        // check can tell it from a journal that never had the fifth entry.
        TailCase{"last_entry_deleted_with_the_record_of_its_seq",
                 "DELETE FROM entries WHERE seq = 5; "
                 "UPDATE sqlite_sequence SET seq = 4 WHERE name = 'entries'",
                 false}),
    RowName());

}  // namespace
}  // namespace quillbary::journal
