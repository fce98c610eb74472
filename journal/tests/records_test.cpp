// What an entry keeps, how the history finds statements again, and the
// exported tables.
#include <gtest/gtest.h>

#include "quillbary/handed_statement.h"
#include "quillbary/journal_export.h"
#include "test_journal.h"
#include "test_names.h"

namespace quillbary::journal {
namespace {

TEST(JournalRecords, AStatementComesBackAsRecorded) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  const StatementHeader header{"张\t三\n", "JD\\2026", "李四"};
  const Statement statement = SampleStatement("1,000");
  const Entry recorded =
      journal->RecordStatement(header, statement, {HandOnKind::kPdf, "/x/计息单.pdf"});
  EXPECT_EQ(recorded.serial, "2026-000001");

  const std::optional<Entry> found = journal->FindStatement(recorded.serial);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->header, header);
  EXPECT_EQ(StatementText(found->statement), StatementText(statement));
  EXPECT_EQ(found->handOn, (HandOn{HandOnKind::kPdf, "/x/计息单.pdf"}));
  EXPECT_EQ(found->recordedAt, "2026-03-03 10:00:00");
  EXPECT_EQ(found->programVersion, "1.00");
  EXPECT_EQ(found->hash, recorded.hash);
}

TEST(JournalRecords, HandOnAgainVoidAndReprintAreEntriesOfTheSameStatement) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  const std::string serial =
      journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""}).serial;
  EXPECT_EQ(journal->RecordHandOnAgain(serial, {HandOnKind::kPrint, ""}).serial, serial);
  journal->RecordReprint(serial, {HandOnKind::kPrint, ""});
  journal->RecordReprint(serial, {HandOnKind::kPdf, "/x.pdf"});
  journal->RecordVoid(serial, "重复出具");

  const StatementSummary summary = journal->Summary(serial).value();
  EXPECT_TRUE(summary.voided);
  EXPECT_EQ(summary.reprints, 2);
  EXPECT_EQ(StatusText(summary), "作废，补打 2 次");
  EXPECT_EQ(journal->ListStatements({}, 10).size(), 1u) << "one statement, five entries";
  EXPECT_EQ(journal->EntryCount(), 5);

  const auto kindOf = [&](auto record) -> std::optional<JournalError::Kind> {
    try {
      record();
    } catch (const JournalError& error) {
      return error.kind;
    }
    return std::nullopt;
  };
  EXPECT_EQ(kindOf([&] { journal->RecordVoid(serial, "again"); }),
            JournalError::Kind::kAlreadyVoided);
  EXPECT_EQ(kindOf([&] {
              journal->RecordReprint(serial, {HandOnKind::kPrint, ""});
            }),
            JournalError::Kind::kAlreadyVoided);
  EXPECT_EQ(kindOf([&] { journal->RecordVoid("2026-000099", "x"); }),
            JournalError::Kind::kNoSuchStatement);
  EXPECT_EQ(journal->EntryCount(), 5) << "refused entries leave nothing";
}

// What an entry records (a PDF) is made with its 编号 before the entry is
// committed; when that fails the entry is not kept and its 编号 is not used.
TEST(JournalRecords, AnEntryWhoseFileFailedIsNotKept) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  const auto fail = [](const Entry& entry) {
    EXPECT_EQ(entry.serial, "2026-000001");
    throw std::runtime_error("disk full");
  };
  EXPECT_THROW(journal->RecordStatement({}, SampleStatement(), {HandOnKind::kPdf, "/a.pdf"}, fail),
               std::runtime_error);
  EXPECT_EQ(journal->EntryCount(), 0);
  std::string madeWith;
  const Entry kept = journal->RecordStatement({}, SampleStatement(), {HandOnKind::kPdf, "/a.pdf"},
                                              [&](const Entry& e) { madeWith = e.serial; });
  EXPECT_EQ(kept.serial, "2026-000001");
  EXPECT_EQ(madeWith, kept.serial);
  EXPECT_THROW(journal->RecordReprint(kept.serial, {HandOnKind::kPdf, "/b.pdf"}, fail),
               std::runtime_error);
  EXPECT_THROW(journal->RecordBatchRun({}, [](const Entry&) { throw std::runtime_error("x"); }),
               std::runtime_error);
  EXPECT_EQ(journal->EntryCount(), 1);
  EXPECT_TRUE(journal->CheckChain().intact);
}

struct FilterCase {
  std::string name;
  StatementFilter filter;
  std::vector<std::string> serials;  // newest first
};

class HistoryFilter : public ::testing::TestWithParam<FilterCase> {};

// Four statements over three days; 000002 voided, 000003 reprinted.
TEST_P(HistoryFilter, FindsTheStatementsAsTyped) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  const struct {
    const char* day;
    StatementHeader header;
  } statements[] = {{"2026-03-01 09:00:00", {"张三", "JD-001", ""}},
                    {"2026-03-02 09:00:00", {"'); DROP TABLE entries; --", "50%_off", ""}},
                    {"2026-03-02 17:00:00", {"李四", "JD-002", ""}},
                    {"2026-03-03 09:00:00", {"张三丰", "", ""}}};
  for (const auto& s : statements) {
    OpenAt(path, s.day)->RecordStatement(s.header, SampleStatement(), {HandOnKind::kCopy, ""});
  }
  auto journal = OpenAt(path);
  journal->RecordVoid("2026-000002", "x");
  journal->RecordReprint("2026-000003", {HandOnKind::kPrint, ""});

  std::vector<std::string> serials;
  for (const StatementSummary& row : journal->ListStatements(GetParam().filter, 100)) {
    serials.push_back(row.serial);
  }
  EXPECT_EQ(serials, GetParam().serials);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, HistoryFilter,
    ::testing::Values(
        FilterCase{"everything_newest_first",
                   {},
                   {"2026-000004", "2026-000003", "2026-000002", "2026-000001"}},
        FilterCase{"part_of_a_borrower", {"张三", "", ""}, {"2026-000004", "2026-000001"}},
        FilterCase{"part_of_a_loan_number", {"JD-00", "", ""}, {"2026-000003", "2026-000001"}},
        FilterCase{"loan_number_in_other_case", {"jd-00", "", ""}, {"2026-000003", "2026-000001"}},
        FilterCase{"part_of_a_serial", {"000002", "", ""}, {"2026-000002"}},
        FilterCase{
            "injection_found_as_typed", {"'); DROP TABLE entries; --", "", ""}, {"2026-000002"}},
        FilterCase{"percent_and_underscore_are_literal", {"%_", "", ""}, {"2026-000002"}},
        FilterCase{"a_lone_percent_is_not_a_wildcard", {"%", "", ""}, {"2026-000002"}},
        FilterCase{"nothing_matches", {"王五", "", ""}, {}},
        FilterCase{"one_day", {"", "2026-03-02", "2026-03-02"}, {"2026-000003", "2026-000002"}},
        FilterCase{
            "from_a_day_on", {"", "2026-03-02", ""}, {"2026-000004", "2026-000003", "2026-000002"}},
        FilterCase{"up_to_a_day", {"", "", "2026-03-01"}, {"2026-000001"}},
        FilterCase{"a_range_holds_its_first_and_last_day",
                   {"", "2026-03-01", "2026-03-02"},
                   {"2026-000003", "2026-000002", "2026-000001"}},
        FilterCase{"a_range_ending_on_the_newest_day",
                   {"", "2026-03-02", "2026-03-03"},
                   {"2026-000004", "2026-000003", "2026-000002"}},
        FilterCase{"in_force",
                   {"", "", "", StatusFilter::kInForce},
                   {"2026-000004", "2026-000003", "2026-000001"}},
        FilterCase{"voided", {"", "", "", StatusFilter::kVoided}, {"2026-000002"}},
        FilterCase{"reprinted", {"", "", "", StatusFilter::kReprinted}, {"2026-000003"}},
        FilterCase{"text_and_status", {"张三", "", "", StatusFilter::kVoided}, {}}),
    RowName());

TEST(JournalHistory, PagesFollowOnWithoutGapOrRepeat) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  for (int i = 0; i < 7; ++i)
    journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""});
  std::vector<std::string> serials;
  std::optional<std::int64_t> after;
  for (std::vector<StatementSummary> page;
       !(page = journal->ListStatements({}, 3, after)).empty();) {
    for (const auto& row : page) serials.push_back(row.serial);
    after = page.back().seq;
  }
  EXPECT_EQ(serials,
            (std::vector<std::string>{"2026-000007", "2026-000006", "2026-000005", "2026-000004",
                                      "2026-000003", "2026-000002", "2026-000001"}));
}

TEST(JournalExport, CsvHasABomAHeaderAndALinePerEntry) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  const std::string serial =
      journal->RecordStatement({"张三", "", ""}, SampleStatement(), {HandOnKind::kCopy, ""}).serial;
  journal->RecordVoid(serial, "作废, 原因\"引号\"");
  const auto csv = folder / "out.csv";
  EXPECT_EQ(ExportJournalCsv(*journal, csv), 2);

  const std::string bytes = FileBytes(csv);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const std::string header = "序号,类型,编号,记录时间";
  EXPECT_EQ(bytes.substr(3, header.size()), header);
  EXPECT_NE(bytes.find("\"作废, 原因\"\"引号\"\"\""), std::string::npos);
  EXPECT_NE(bytes.find("人民币伍佰陆拾壹元玖角捌分"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder / "out.csv.part"));
}

TEST(JournalExport, AFileThatCannotBeWrittenIsAnErrorAndLeavesNothing) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  const Table table = StatementsTable(*journal, {});
  EXPECT_THROW(WriteCsv(folder / "no" / "such" / "out.csv", table), JournalError);
  EXPECT_THROW(WriteXlsx(folder / "no" / "such" / "out.xlsx", table), JournalError);
  WriteXlsx(folder / "out.xlsx", table);
  EXPECT_EQ(FileBytes(folder / "out.xlsx").substr(0, 2), "PK");
}

}  // namespace
}  // namespace quillbary::journal

namespace quillbary::journal {
namespace {

struct HandedCase {
  std::string name;
  StatementHeader header;
  std::string serial;
  std::string reprintOf;
  std::string begins;  // StatementText up to the first figure
};

class Handed : public ::testing::TestWithParam<HandedCase> {};

TEST_P(Handed, PutsTheNumberAndHeaderAboveTheFigures) {
  const std::string text = StatementText(HandedStatement(SampleStatement(), GetParam().header,
                                                         GetParam().serial, GetParam().reprintOf));
  const std::string expected = "还款利息计算单\n" + GetParam().begins + "借款日期：2009-01-01\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, Handed,
    ::testing::Values(
        HandedCase{"worked_example_reprint",
                   {"张三", "", "李四"},
                   "2026-000123",
                   "2026-03-03 10:00:00",
                   "补打：原件出具于 2026-03-03 10:00:00\n编号：2026-000123\n借款人：张三\n"
                   "经办人：李四\n"},
        HandedCase{"every_line",
                   {"张三", "JD-1", "李四"},
                   "2026-000001",
                   "",
                   "编号：2026-000001\n借款人：张三\n借据号：JD-1\n经办人：李四\n"},
        HandedCase{"no_journal_no_header", {}, "", "", ""}),
    RowName());

}  // namespace
}  // namespace quillbary::journal
