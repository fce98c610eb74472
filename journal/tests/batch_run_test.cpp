// Batch runs in the journal, and journals written before batch runs were
// kept: every entry they held survives the upgrade, chained as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "../src/entry_columns.h"
#include "quillbary/path_text.h"
#include "quillbary/journal_export.h"
#include "test_journal.h"
#include "test_names.h"

namespace quillbary::journal {
namespace {

BatchRunRecord SampleRun() {
  return {"/home/clerk/月末.csv",
          std::string(64, 'a'),
          "/home/clerk/月末-结果.xlsx",
          std::string(64, 'b'),
          5,
          2,
          1,
          2,
          "11123.96"};
}

std::vector<Entry> AllEntries(Journal& journal) {
  std::vector<Entry> entries;
  journal.ForEachEntry([&entries](const Entry& e) { entries.push_back(e); });
  return entries;
}

TEST(JournalBatchRun, IsKeptWholeUnnumberedAndChained) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  journal->RecordStatement({"张三", "", ""}, SampleStatement(), {HandOnKind::kCopy, ""});
  const Entry recorded = journal->RecordBatchRun(SampleRun());

  EXPECT_EQ(recorded.seq, 2);
  EXPECT_EQ(recorded.serial, "");
  const std::vector<Entry> entries = AllEntries(*journal);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].kind, EntryKind::kBatchRun);
  EXPECT_EQ(entries[1].batchRun, SampleRun());
  EXPECT_TRUE(journal->CheckChain().intact);
  // The history lists statements only; the next statement's 编号 follows on.
  EXPECT_EQ(journal->ListStatements({}, 10).size(), 1u);
  EXPECT_EQ(journal->RecordStatement({}, SampleStatement(), {}).serial, "2026-000002");
}

TEST(JournalBatchRun, ExportsItsFilesAndCountsWhereAStatementHasItsWorking) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  journal->RecordBatchRun(SampleRun());
  ExportJournalCsv(*journal, folder / "out.csv");
  const std::string csv = FileBytes(folder / "out.csv");
  EXPECT_NE(csv.find("批量计算"), std::string::npos);
  EXPECT_NE(csv.find(",合计之和,11123.96,"), std::string::npos);
  EXPECT_NE(csv.find("\"输入文件：/home/clerk/月末.csv\n输入文件 SHA-256："), std::string::npos);
  EXPECT_NE(csv.find("有错误行数：2\""), std::string::npos);
}

// A run counted by status keeps its counts and sums under items of their
// own; a run recorded before, under the items it was stored with, in their
// order, so that its figures column (and so its hash) reads back the same.
struct RecordItemsCase {
  std::string name;
  BatchRunRecord run;
  std::vector<std::string> items;  // after the four file items
};

BatchRunRecord StatusRun(std::string totalSum) {
  BatchRunRecord run = SampleRun();
  run.rowsWithTotal = run.rowsWithWarnings = run.rowsWithErrors = 0;
  run.totalSum = std::move(totalSum);
  run.hasStatuses = true;
  run.rowsCalculated = 2;
  run.rowsDateOrder = 1;
  run.rowsNotCalculated = 2;
  run.normalInterestSum = "640.74";
  run.overdueInterestSum = "483.22";
  run.interestTotalSum = "561.98";
  run.principalAndInterestSum = "10561.98";
  return run;
}

class BatchRunItems : public ::testing::TestWithParam<RecordItemsCase> {};

TEST_P(BatchRunItems, AreWrittenReadAndChainedAsTheyWereStored) {
  const std::vector<StatementRow> rows = BatchRunRows(GetParam().run);
  std::vector<std::string> items;
  for (std::size_t i = 4; i < rows.size(); ++i) items.push_back(rows[i].item);
  EXPECT_EQ(items, GetParam().items);
  EXPECT_EQ(BatchRunFromRows(rows), GetParam().run);

  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  journal->RecordBatchRun(GetParam().run);
  const std::vector<Entry> entries = AllEntries(*journal);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].batchRun, GetParam().run);
  EXPECT_TRUE(journal->CheckChain().intact);
}

INSTANTIATE_TEST_SUITE_P(
    Records, BatchRunItems,
    ::testing::Values(
        RecordItemsCase{"RecordedBeforeStatuses",
                        SampleRun(),
                        {"读取行数", "有合计行数", "有提示行数", "有错误行数", "合计之和"}},
        RecordItemsCase{"StatusesWithOneKindOfTotal",
                        StatusRun("561.98"),
                        {"读取行数", "已算出行数", "日期有误行数", "未算出行数", "正常利息之和",
                         "逾期利息之和", "利息合计之和", "本息合计之和", "合计之和"}},
        RecordItemsCase{"StatusesWithBothKindsHaveNoSingleSum",
                        StatusRun(""),
                        {"读取行数", "已算出行数", "日期有误行数", "未算出行数", "正常利息之和",
                         "逾期利息之和", "利息合计之和", "本息合计之和"}}),
    [](const auto& info) { return info.param.name; });

// A journal as the previous version of the program left it (five entries:
// two statements, a hand-on again, a void and a reprint), tampered with or
// not before this version opens it.
struct UpgradeCase {
  std::string name;
  std::string tamper;        // SQL run on the old file first; empty for none
  std::int64_t firstBadSeq;  // 0: intact after the upgrade
};

class JournalUpgrade : public ::testing::TestWithParam<UpgradeCase> {};

TEST_P(JournalUpgrade, KeepsEveryEntryAndWhatTheChainSaysOfThem) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  std::filesystem::copy_file(QUILLBARY_JOURNAL_V1, path);
  if (!GetParam().tamper.empty()) Tamper(path, GetParam().tamper);

  auto journal = OpenAt(path, "2026-12-09 10:00:00");
  const ChainCheck check = journal->CheckChain();
  EXPECT_EQ(check.intact, GetParam().firstBadSeq == 0) << check.problem;
  EXPECT_EQ(check.firstBadSeq, GetParam().firstBadSeq) << check.problem;
  const std::optional<StatementSummary> first = journal->Summary("2026-000001");
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->borrower, "张三");
  EXPECT_EQ(first->amount, "10,000.00 元");
  EXPECT_TRUE(journal->Summary("2026-000002")->voided);
  if (GetParam().firstBadSeq != 0) return;

  // Written on after the upgrade: the seqs and serials go on, the chain holds,
  // and entries still cannot be changed.
  EXPECT_EQ(journal->RecordBatchRun(SampleRun()).seq, 6);
  EXPECT_EQ(journal->RecordStatement({}, SampleStatement(), {}).serial, "2026-000003");
  EXPECT_TRUE(journal->CheckChain().intact);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(files::Utf8Of(path).c_str(), &db), SQLITE_OK);
  EXPECT_NE(sqlite3_exec(db, "UPDATE entries SET borrower = 'x'", nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_NE(sqlite3_exec(db, "DELETE FROM entries WHERE seq = 7", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
}

INSTANTIATE_TEST_SUITE_P(Journal, JournalUpgrade,
                         ::testing::Values(UpgradeCase{"untouched", "", 0},
                                           UpgradeCase{"last_entry_removed_before",
                                                       "DELETE FROM entries WHERE seq = 5", 5},
                                           UpgradeCase{
                                               "void_reason_edited_before",
                                               "UPDATE entries SET reason = '' WHERE seq = 4", 4}),
                         RowName());

// Known digests: the empty file, "abc", and a million 'a' (many blocks).
TEST(FileSha256, IsTheDigestOfTheBytes) {
  TempFolder folder;
  const struct {
    std::string bytes;
    std::string digest;
  } files[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& file : files) {
    std::ofstream(folder / "f", std::ios::binary) << file.bytes;
    EXPECT_EQ(FileSha256(folder / "f"), file.digest) << file.bytes.size() << " bytes";
  }
  try {
    FileSha256(folder / "missing");
    ADD_FAILURE() << "a missing file has no digest";
  } catch (const JournalError& error) {
    EXPECT_EQ(error.kind, JournalError::Kind::kIo);
  }
}

}  // namespace
}  // namespace quillbary::journal
