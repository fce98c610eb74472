#include <gtest/gtest.h>
#include <sqlite3.h>

#include "quillbary/handed_statement.h"
#include "quillbary/journal.h"
#include "quillbary/statement.h"
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

// A review copied twice is one row; the summary shows the latest.
TEST(JournalTerminal, KeepsTheBranchsReviewsOnceEachAndShowsTheLatest) {
  TempFolder folder;
  auto journal = OpenAt(folder / "j.sqlite3");
  const std::string serial = journal->RecordStatement({}, SampleStatement(), {}).serial;
  const BranchReview returned{7, serial, false, "借据号有误", "supervisor_s", "2026-12-10 10:00:00"};
  const BranchReview passed{9, serial, true, "", "supervisor_s", "2026-12-10 11:00:00"};
  journal->KeepReviews({returned});
  journal->KeepReviews({returned, passed});
  EXPECT_EQ(journal->LastReviewId(), 9);
  const std::optional<StatementSummary> summary = journal->Summary(serial);
  ASSERT_TRUE(summary && summary->review);
  EXPECT_TRUE(summary->review->passed);
  EXPECT_EQ(summary->review->reviewedAt, "2026-12-10 11:00:00");
  EXPECT_TRUE(journal->CheckChain().intact);  // the copies are outside the chain
}

// A reprint's 复核 line carries the latest review, passed or sent back; the
// 经办人 line stays blank to sign.
TEST(JournalTerminal, AReprintCarriesTheReviewOnItsReviewLine) {
  const struct {
    const char* name;
    BranchReview review;
    const char* line;
  } rows[] = {
      {"passed", {1, "s", true, "", "supervisor_s", "2026-12-10 11:00:00"},
       "\n经办人：\n复核：supervisor_s 2026-12-10 11:00:00\n"},
      {"returned", {2, "s", false, "借据号有误", "supervisor_s", "2026-12-10 11:00:00"},
       "\n经办人：\n复核：退回（借据号有误） supervisor_s 2026-12-10 11:00:00\n"},
  };
  for (const auto& row : rows) {
    const std::string text = StatementText(
        HandedStatement(SampleStatement(), {}, "2026-T01-000001", "2026-12-09 10:00:00", row.review));
    EXPECT_TRUE(text.ends_with(row.line)) << row.name << "\n" << text;
  }
  EXPECT_TRUE(StatementText(HandedStatement(SampleStatement(), {}, "2026-000001"))
                  .ends_with("\n经办人：\n复核：\n"));
}

// Every kind of entry comes back whole from its hash input, and a text that
// is not one is refused rather than half read.
TEST(JournalTerminal, AnEntryComesBackFromItsHashInputAndNothingElseDoes) {
  TempFolder folder;
  auto journal = OpenAt(folder / "j.sqlite3");
  const std::string serial = journal->RecordStatement({"张三", "JD-7", "李四"}, SampleStatement(),
                                                      {HandOnKind::kCopy, ""}).serial;
  journal->RecordReprint(serial, {HandOnKind::kCopy, ""});
  journal->RecordVoid(serial, "重复", "李四");
  journal->ForEachEntry([](const Entry& entry) {
    const std::string input = HashInputOf(entry);
    const std::optional<Entry> back = EntryFromHashInput(input);
    ASSERT_TRUE(back.has_value()) << input;
    EXPECT_EQ(HashInputOf(*back), input);
    EXPECT_EQ(back->hash, entry.hash);
  });
  const std::string good = "seq=1:2;kind=4:void;";
  for (const std::string& bad : {good + "x", good + "seq=1:2;", std::string("seq=9:2;"),
                                std::string("seq=1:2"), std::string("nosuch=1:x;")}) {
    EXPECT_FALSE(EntryFromHashInput(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace quillbary::journal
