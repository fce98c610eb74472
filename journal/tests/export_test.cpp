// The exports as a supervisor sums them: figures as plain numbers, the
// statement's status and void, and the ways it was handed on in Chinese.
#include <gtest/gtest.h>
#include <zip.h>

#include <string>
#include <vector>

#include "quillbary/path_text.h"
#include "../src/plain_figure.h"
#include "quillbary/journal_export.h"
#include "test_journal.h"

namespace quillbary::journal {
namespace {

struct FigureCase {
  const char* name;
  const char* shown;
  const char* plain;
};

class PlainFigureTest : public ::testing::TestWithParam<FigureCase> {};

TEST_P(PlainFigureTest, DropsTheUnitAndTheGroupsOfANumberOnly) {
  EXPECT_EQ(PlainFigure(GetParam().shown), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(
    Shown, PlainFigureTest,
    ::testing::Values(FigureCase{"GroupedMoney", "10,000.00 元", "10000.00"},
                      FigureCase{"NegativeMoney", "-1,165.80 元", "-1165.80"},
                      FigureCase{"Rate", "7.965‰", "7.965"}, FigureCase{"Days", "181 天", "181"},
                      FigureCase{"ExponentStaysText", "1.0E+16 元", "1.0E+16 元"},
                      FigureCase{"LeadingPeriodStaysText", ".5 元", ".5 元"},
                      FigureCase{"WordsStayText", "只结利息", "只结利息"},
                      FigureCase{"EmptyStaysEmpty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Two statements: the first copied, reprinted and voided, the second printed.
std::unique_ptr<Journal> TwoStatements(const TempFolder& folder, std::string& first,
                                       std::string& second) {
  auto journal = OpenAt(folder / "journal.sqlite3");
  first =
      journal->RecordStatement({"张三", "JD-1", "李四"}, SampleStatement(), {HandOnKind::kCopy, ""})
          .serial;
  journal->RecordReprint(first, {HandOnKind::kPrint, ""});
  journal->RecordVoid(first, "金额输错");
  second = journal
               ->RecordStatement({"王五", "JD-2", "李四"}, SampleStatement("20000"),
                                 {HandOnKind::kPrint, ""})
               .serial;
  return journal;
}

std::string Cell(const Table& table, std::size_t row, const std::string& heading) {
  const auto at = std::find(table.header.begin(), table.header.end(), heading);
  if (at == table.header.end()) return "no column " + heading;
  return table.rows.at(row).at(static_cast<std::size_t>(at - table.header.begin()));
}

// Each column of the history's export for the two statements, newest first.
struct ColumnCase {
  const char* heading;
  const char* voided;
  const char* inForce;
};

class StatementsTableTest : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(StatementsTableTest, HoldsTheStatementsFiguresAndWhatHappenedToIt) {
  TempFolder folder;
  std::string first, second;
  auto journal = TwoStatements(folder, first, second);
  const Table table = StatementsTable(*journal, journal->ListStatements({}, 10));
  ASSERT_EQ(table.rows.size(), 2u);
  EXPECT_EQ(Cell(table, 1, GetParam().heading), GetParam().voided);
  EXPECT_EQ(Cell(table, 0, GetParam().heading), GetParam().inForce);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, StatementsTableTest,
    ::testing::Values(
        ColumnCase{"还款金额", "10000.00", "20000.00"}, ColumnCase{"月利率(‰)", "5.31", "5.31"},
        ColumnCase{"逾期利率(‰)", "7.965", "7.965"}, ColumnCase{"正常天数", "181", "181"},
        ColumnCase{"正常利息", "320.37", "640.74"}, ColumnCase{"合计名称", "利息合计", "利息合计"},
        ColumnCase{"合计", "561.98", "1123.95"}, ColumnCase{"状态", "已作废", "有效"},
        ColumnCase{"作废原因", "金额输错", ""}, ColumnCase{"作废时间", "2026-03-03 10:00:00", ""},
        ColumnCase{"交付方式", "复制、补打", "打印"}, ColumnCase{"交付次数", "1", "1"},
        ColumnCase{"补打次数", "1", "0"}),
    [](const auto& info) { return "Column" + std::to_string(info.index); });

// The sheet's XML for a cell: "<c r="J2" ...>...</c>".
std::string SheetCell(const std::filesystem::path& file, const std::string& reference) {
  int error = 0;
  zip_t* archive = zip_open(files::Utf8Of(file).c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) return "not a zip";
  zip_file_t* part = zip_fopen(archive, "xl/worksheets/sheet1.xml", 0);
  std::string xml;
  char block[4096];
  for (zip_int64_t got; part != nullptr && (got = zip_fread(part, block, sizeof block)) > 0;) {
    xml.append(block, static_cast<std::size_t>(got));
  }
  if (part != nullptr) zip_fclose(part);
  zip_discard(archive);
  const auto begin = xml.find("<c r=\"" + reference + "\"");
  if (begin == std::string::npos) return "no cell " + reference;
  return xml.substr(begin, xml.find("</c>", begin) + 4 - begin);
}

TEST(JournalExport, FiguresAreNumberCellsInXlsxAndPlainDecimalsInCsv) {
  TempFolder folder;
  std::string first, second;
  auto journal = TwoStatements(folder, first, second);
  const Table table = StatementsTable(*journal, journal->ListStatements({}, 10));
  WriteXlsx(folder / "out.xlsx", table);
  // 还款金额 (J) and 月利率(‰) (K) of the newest statement: numbers, not strings.
  EXPECT_EQ(SheetCell(folder / "out.xlsx", "J2").find("t=\""), std::string::npos);
  EXPECT_NE(SheetCell(folder / "out.xlsx", "J2").find("<v>20000</v>"), std::string::npos);
  EXPECT_NE(SheetCell(folder / "out.xlsx", "K2").find("<v>5.31</v>"), std::string::npos);

  ExportJournalCsv(*journal, folder / "all.csv");
  const std::string csv = FileBytes(folder / "all.csv");
  EXPECT_NE(csv.find(",10000.00,5.31,只结利息,181,320.37,91,7.965,241.61,利息合计,561.98,"),
            std::string::npos);
  EXPECT_NE(csv.find(",已作废,金额输错,2026-03-03 10:00:00,"), std::string::npos);
  EXPECT_EQ(csv.find(",copy,"), std::string::npos);
  EXPECT_NE(csv.find(",复制,"), std::string::npos);
}

}  // namespace
}  // namespace quillbary::journal
