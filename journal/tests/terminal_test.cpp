#include <gtest/gtest.h>
#include <sqlite3.h>

#include "quillbary/journal.h"
#include "quillbary/path_text.h"
#include "test_journal.h"

namespace quillbary::journal {
namespace {

TEST(JournalTerminal, NumbersGoOnWithTheTerminalAndTheJoinHoldsOnceAndForAll) {
  TempFolder folder;
  {
    auto journal = OpenAt(folder / "j.sqlite3");
    EXPECT_EQ(journal->Terminal(), "");
    EXPECT_EQ(journal->RecordStatement({}, SampleStatement(), {}).serial, "2026-000001");
    journal->JoinTerminal("T02", "service=branch");
    EXPECT_EQ(journal->RecordStatement({}, SampleStatement(), {}).serial, "2026-T02-000002");
    try {
      journal->JoinTerminal("T03", "service=branch");
      FAIL() << "joined twice";
    } catch (const JournalError& error) {
      EXPECT_EQ(error.kind, JournalError::Kind::kAlreadyJoined);
    }
  }
  auto reopened = OpenAt(folder / "j.sqlite3", "2027-01-02 08:00:00");
  EXPECT_EQ(reopened->Terminal(), "T02");
  EXPECT_EQ(reopened->Membership()->conninfo, "service=branch");
  EXPECT_EQ(reopened->RecordStatement({}, SampleStatement(), {}).serial, "2027-T02-000001");
  EXPECT_TRUE(reopened->CheckChain().intact);
  // The old number is still found under its own 编号.
  EXPECT_TRUE(reopened->FindStatement("2026-000001").has_value());
}

TEST(JournalTerminal, ATamperedTerminalIsRefusedByTheFile) {
  TempFolder folder;
  OpenAt(folder / "j.sqlite3")->JoinTerminal("T01", "service=branch");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(files::Utf8Of(folder / "j.sqlite3").c_str(), &db), SQLITE_OK);
  for (const char* sql : {"UPDATE branch_terminal SET terminal = 'T09'",
                          "DELETE FROM branch_terminal",
                          "INSERT INTO branch_terminal VALUES ('T09', '', '')"}) {
    EXPECT_NE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  }
  sqlite3_close(db);
  EXPECT_EQ(OpenAt(folder / "j.sqlite3")->Terminal(), "T01");
}

}  // namespace
}  // namespace quillbary::journal
