#include <gtest/gtest.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "quillbary/path_text.h"
#include "quillbary/batch_file.h"
#include "quillbary/batch_run.h"
#include "refusal.h"
#include "temp_files.h"

namespace quillbary::batch {
namespace {

using Parts = std::map<std::string, std::string>;
using Rows = std::vector<std::vector<std::string>>;

// Writes a zip of the given parts, as a workbook's files.
void WriteZip(const std::filesystem::path& file, const Parts& parts) {
  int error = 0;
  zip_t* archive = zip_open(files::Utf8Of(file).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  for (const auto& [name, text] : parts) {
    zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
    ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

const std::string kWorkbook =
    R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<workbookPr/><sheets><sheet name="甲" sheetId="1" r:id="rId7"/></sheets></workbook>)";
const std::string kRelations =
    R"(<Relationships><Relationship Id="rId7" Target="worksheets/first.xml"/></Relationships>)";
const std::string kStyles =
    R"(<styleSheet><numFmts><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;"/>)"
    R"(<numFmt numFmtId="165" formatCode="0.00&quot;d&quot;"/></numFmts>)"
    R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/></cellXfs></styleSheet>)";
const std::string kShared =
    R"(<sst><si><t>借款日期</t></si><si><r><t>还本</t></r><r><t>结息</t></r><rPh><t>huan</t></rPh></si></sst>)";

std::string Sheet(const std::string& rows) {
  return "<worksheet><sheetData>" + rows + "</sheetData></worksheet>";
}

struct XlsxCase {
  const char* name;
  Parts parts;
  Rows rows;                     // when it reads
  std::optional<Refusal> error;  // else: how it is refused
};

Parts Workbook(const std::string& sheetRows) {
  return {{"xl/workbook.xml", kWorkbook},
          {"xl/_rels/workbook.xml.rels", kRelations},
          {"xl/styles.xml", kStyles},
          {"xl/sharedStrings.xml", kShared},
          {"xl/worksheets/first.xml", Sheet(sheetRows)}};
}

Parts Without(Parts parts, const std::string& name) {
  parts.erase(name);
  return parts;
}

class XlsxReadTest : public ::testing::TestWithParam<XlsxCase> {};

TEST_P(XlsxReadTest, ReadsOrRefuses) {
  TempFolder folder;
  const auto file = folder.Path("in.xlsx");
  WriteZip(file, GetParam().parts);
  ExpectReadOrRefusal(
      [&] {
        Rows rows;
        std::unique_ptr<RowReader> reader = OpenXlsxReader(file);
        std::vector<std::string> cells;
        while (reader->Next(cells)) rows.push_back(cells);
        EXPECT_EQ(rows, GetParam().rows);
      },
      GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Workbooks, XlsxReadTest,
    ::testing::Values(
        XlsxCase{
            "SharedRichAndPhoneticStrings",
            Workbook(
                R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c></row>)"),
            {{"借款日期", "还本结息"}},
            std::nullopt},
        XlsxCase{
            "InlineFormulaBoolAndGaps",
            Workbook(
                R"(<row r="1"><c r="B1" t="inlineStr"><is><t>只结利息</t></is></c>)"
                R"(<c r="D1" t="str"><f>A1</f><v>x</v></c><c r="E1" t="b"><v>1</v></c></row>)"),
            {{"", "只结利息", "", "x", "TRUE"}},
            std::nullopt},
        XlsxCase{"NumbersShortestRoundTripInPlainDigits",
                 Workbook(R"(<row><c><v>10000</v></c><c><v>5.3099999999999996</v></c>)"
                          R"(<c><v>1E+20</v></c><c s="3"><v>0.1</v></c></row>)"),
                 {{"10000", "5.31", "100000000000000000000", "0.1"}},
                 std::nullopt},
        XlsxCase{"DateStylesBuiltInAndCustom",
                 Workbook(R"(<row><c s="1"><v>39814</v></c><c s="2"><v>40086.75</v></c>)"
                          R"(<c s="0"><v>39814</v></c><c s="1"><v>1</v></c></row>)"),
                 {{"2009-01-01", "2009-09-30", "39814", "1900-01-01"}},
                 std::nullopt},
        XlsxCase{"NoWorkbookPart",
                 Without(Without(Workbook(""), "xl/_rels/workbook.xml.rels"), "xl/workbook.xml"),
                 {},
                 Refusal{BatchProblem::kNoWorkbook}},
        XlsxCase{"NoSheetInWorkbook",
                 Parts{{"xl/workbook.xml", "<workbook><sheets/></workbook>"}},
                 {},
                 Refusal{BatchProblem::kNoSheets}},
        XlsxCase{"SheetPartMissing",
                 Without(Workbook(""), "xl/worksheets/first.xml"),
                 {},
                 Refusal{BatchProblem::kFirstSheetMissing}},
        XlsxCase{"BrokenSheetXml",
                 Workbook("<row><c><v>1</v></row>"),
                 {},
                 Refusal{BatchProblem::kXmlInvalid, 1}},
        XlsxCase{"SharedStringOutOfRange",
                 Workbook(R"(<row r="4"><c t="s"><v>9</v></c></row>)"),
                 {},
                 Refusal{BatchProblem::kSharedStringMissing, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

// Hostile workbooks, each refused with its own message before what it
// unfolds to is held or copied whole; the parts are made when the case runs.
struct HostileCase {
  const char* name;
  Parts (*parts)();
  std::optional<Refusal> error;   // none: it reads
  std::size_t firstRowCells = 0;  // when it reads, if not 0
};

std::string Repeat(std::string_view text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

Parts With(const std::string& part, std::string text) {
  Parts parts = Workbook(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
  parts[part] = std::move(text);
  return parts;
}

Parts WithRows(const std::string& rows) {
  return With("xl/worksheets/first.xml", Sheet(rows));
}

// Rows of cells that use one shared string of a million bytes.
Parts MillionByteString(std::size_t usesInARow, std::size_t rows) {
  Parts parts =
      WithRows(Repeat("<row>" + Repeat(R"(<c t="s"><v>0</v></c>)", usesInARow) + "</row>", rows));
  parts["xl/sharedStrings.xml"] = "<sst><si><t>" + std::string(1'000'000, 'x') + "</t></si></sst>";
  return parts;
}

// libzip writes no two entries of one name: the bytes are renamed after.
constexpr std::string_view kRenamed = "first.xmZ";

class XlsxHostileTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(XlsxHostileTest, RefusedByNameOrRead) {
  TempFolder folder;
  const auto file = folder.Path("in.xlsx");
  WriteZip(file, GetParam().parts());
  std::string bytes = ReadBytes(file);
  for (auto at = bytes.find(kRenamed); at != std::string::npos; at = bytes.find(kRenamed, at)) {
    bytes.replace(at, kRenamed.size(), "first.xml");
  }
  folder.Write("in.xlsx", bytes);
  std::vector<std::string> first, cells;
  ExpectReadOrRefusal(
      [&] {
        std::unique_ptr<RowReader> reader = OpenXlsxReader(file);
        if (reader->Next(first)) {
          while (reader->Next(cells)) {
          }
        }
        if (GetParam().firstRowCells != 0) {
          ASSERT_EQ(first.size(), GetParam().firstRowCells);
          EXPECT_EQ(first.back(), "TRUE");
        }
      },
      GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Workbooks, XlsxHostileTest,
    ::testing::Values(
        HostileCase{"LastColumnXfdReads",
                    [] { return WithRows(R"(<row r="1"><c r="XFD1" t="b"><v>1</v></c></row>)"); },
                    std::nullopt, kMaxColumns},
        HostileCase{"ColumnPastXfd", [] { return WithRows(R"(<row r="1"><c r="ZZZ1"/></row>)"); },
                    Refusal{BatchProblem::kCellReferenceUnreadable, 1}},
        HostileCase{"CellPositionWithJunk",
                    [] { return WithRows(R"(<row r="1"><c r="A1x"/></row>)"); },
                    Refusal{BatchProblem::kCellReferenceUnreadable, 1}},
        HostileCase{"RowPastTheSheetsLimit", [] { return WithRows(R"(<row r="1048577"/>)"); },
                    Refusal{BatchProblem::kRowPastSheetEnd, 1048577}},
        HostileCase{"RowNumberWithJunk", [] { return WithRows(R"(<row r="2x"/>)"); },
                    Refusal{BatchProblem::kRowNumberUnreadable, 1}},
        HostileCase{"RowsOutOfOrder", [] { return WithRows(R"(<row r="3"/><row r="2"/>)"); },
                    Refusal{BatchProblem::kRowOutOfOrder, 2, 3}},
        HostileCase{"CellsOutOfOrder",
                    [] { return WithRows(R"(<row r="1"><c r="B1"/><c r="A1"/></row>)"); },
                    Refusal{BatchProblem::kCellOutOfOrder, 1}},
        HostileCase{"SharedStringIndexWithJunk",
                    [] { return WithRows(R"(<row r="2"><c t="s"><v>0junk</v></c></row>)"); },
                    Refusal{BatchProblem::kSharedStringMissing, 2}},
        HostileCase{"RowsTextOverItsLimit", [] { return MillionByteString(17, 1); },
                    Refusal{BatchProblem::kRowTextTooLong, 1}},
        HostileCase{"SheetsTextOverItsLimit", [] { return MillionByteString(8, 9); },
                    Refusal{BatchProblem::kSheetTextTooLarge}},
        HostileCase{"SheetsCellsOverTheirLimit",
                    [] {
                      std::string rows;
                      for (int r = 1; r <= 1100; ++r) {
                        rows += "<row><c r=\"XFD" + std::to_string(r) + "\"/></row>";
                      }
                      return WithRows(rows);
                    },
                    Refusal{BatchProblem::kSheetTooManyCells}},
        HostileCase{"SharedStringsOverTheirCount",
                    [] {
                      return With("xl/sharedStrings.xml",
                                  "<sst>" + Repeat("<si/>", 4'194'305) + "</sst>");
                    },
                    Refusal{BatchProblem::kTooManySharedStrings}},
        HostileCase{"SharedStringsOverTheirBytes",
                    [] {
                      const std::string item =
                          "<si><t>" + std::string(1'000'000, 'x') + "</t></si>";
                      return With("xl/sharedStrings.xml", "<sst>" + Repeat(item, 68) + "</sst>");
                    },
                    Refusal{BatchProblem::kSharedStringsTooLarge, 0, 64 << 20}},
        // Linear: looking up every number format for each cell format would
        // take minutes here.
        HostileCase{"StylesAtTheirLimitRead",
                    [] {
                      std::string formats, xfs;
                      for (int i = 200; i < 200 + 65'536; ++i) {
                        const std::string id = std::to_string(i);
                        formats += "<numFmt numFmtId=\"" + id + "\" formatCode=\"0.0\"/>";
                        xfs += "<xf numFmtId=\"" + id + "\"/>";
                      }
                      return With("xl/styles.xml", "<styleSheet><numFmts>" + formats +
                                                       "</numFmts><cellXfs>" + xfs +
                                                       "</cellXfs></styleSheet>");
                    },
                    std::nullopt},
        HostileCase{"StylesOverTheirCount",
                    [] {
                      return With("xl/styles.xml", "<styleSheet><cellXfs>" +
                                                       Repeat("<xf/>", 65'537) +
                                                       "</cellXfs></styleSheet>");
                    },
                    Refusal{BatchProblem::kTooManyCellFormats}},
        HostileCase{"EntityDeclarations",
                    [] {
                      return With("xl/sharedStrings.xml",
                                  R"(<!DOCTYPE sst [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;">]>)"
                                  "<sst><si><t>&b;</t></si></sst>");
                    },
                    Refusal{BatchProblem::kXmlDoctype}},
        HostileCase{
            "UndefinedEntity",
            [] { return WithRows(R"(<row><c t="inlineStr"><is><t>&no;</t></is></c></row>)"); },
            Refusal{BatchProblem::kXmlInvalid, 1}},
        HostileCase{"TagOverItsLimit",
                    [] { return WithRows("<row x=\"" + std::string(400'000, 'x') + "\"/>"); },
                    Refusal{BatchProblem::kXmlTokenTooLong}},
        HostileCase{"NestingOverTheParsersMemory",
                    [] { return WithRows(Repeat("<x>", 1'000'000) + Repeat("</x>", 1'000'000)); },
                    Refusal{BatchProblem::kXmlTooDeep}},
        HostileCase{"InflatedXmlOverItsLimit", [] { return WithRows(std::string(70 << 20, ' ')); },
                    Refusal{BatchProblem::kZipBomb}},
        HostileCase{"ElementsOverTheirLimit", [] { return WithRows(Repeat("<x/>", 13 << 20)); },
                    Refusal{BatchProblem::kTooManyElements}},
        HostileCase{"SamePartNameTwice",
                    [] {
                      Parts parts = WithRows("");
                      parts["xl/worksheets/" + std::string(kRenamed)] = Sheet("");
                      return parts;
                    },
                    Refusal{BatchProblem::kDuplicatePart}},
        HostileCase{"SamePartNameInOtherCase",
                    [] {
                      Parts parts = WithRows("");
                      parts["XL/worksheets/first.xml"] = Sheet("");
                      return parts;
                    },
                    Refusal{BatchProblem::kDuplicatePart}}),
    [](const auto& info) { return std::string(info.param.name); });

// The digest is the file's own, sha256sum's; and the file is refused when it
// changes between being hashed and being read to its end.
TEST(XlsxReader, Sha256IsTheFilesOwnAndStaysSo) {
#ifdef _WIN32
  GTEST_SKIP() << "sha256sum, the digest's second opinion, is a POSIX tool";
#endif
  TempFolder folder;
  const auto file = folder.Path("in.xlsx");
  WriteZip(file, Workbook(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)"));
  std::string sha256sum(64, '\0');
  std::FILE* tool = popen(("sha256sum '" + file.string() + "'").c_str(), "r");
  ASSERT_NE(tool, nullptr);
  sha256sum.resize(std::fread(sha256sum.data(), 1, 64, tool));
  pclose(tool);
  std::vector<std::string> cells;
  {
    std::unique_ptr<RowReader> reader = OpenXlsxReader(file);
    while (reader->Next(cells)) {
    }
    EXPECT_EQ(reader->Sha256(), sha256sum);
  }
  std::unique_ptr<RowReader> reader = OpenXlsxReader(file);
  std::filesystem::last_write_time(file,
                                   std::filesystem::last_write_time(file) - std::chrono::hours(1));
  try {
    while (reader->Next(cells)) {
    }
    ADD_FAILURE() << "read without an error";
  } catch (const BatchFileError& e) {
    EXPECT_EQ(e.problem(), BatchProblem::kChangedWhileRead) << e.what();
  }
}

TEST(XlsxReader, NotAZipIsNamed) {
  TempFolder folder;
  const auto file = folder.Write("in.xlsx", "借款日期,到期日期\n");
  EXPECT_THROW(OpenXlsxReader(file), BatchFileError);
}

// A cell carried from an input sheet through a run: read back from the
// output sheet as the same text and the same kind of cell, and written to a
// CSV output as the input reader's text.
struct CarriedCase {
  const char* name;
  std::string cell;  // the <c> element, in column H
  std::string text;
  CellKind kind;
};

class CarriedCellTest : public ::testing::TestWithParam<CarriedCase> {};

TEST_P(CarriedCellTest, KeepsItsTypeAndValue) {
  TempFolder folder;
  const auto in = folder.Path("in.xlsx");
  std::string header = "<row>";
  for (const char* name :
       {"借款日期", "到期日期", "还款日期", "起息日期", "还款金额", "月利率(‰)", "还款方式", "备注"}) {
    header += std::string(R"(<c t="inlineStr"><is><t>)") + name + "</t></is></c>";
  }
  WriteZip(in, Workbook(header + "</row><row>" +
                        R"(<c s="1"><v>39814</v></c><c s="1"><v>39995</v></c>)"
                        R"(<c s="1"><v>40086</v></c><c s="1"><v>39814</v></c>)"
                        R"(<c><v>1E+4</v></c><c><v>5.31</v></c>)"
                        R"(<c t="inlineStr"><is><t>只结利息</t></is></c>)" +
                        GetParam().cell + "</row>"));
  const auto xlsx = folder.Path("out.xlsx");
  const auto csv = folder.Path("out.csv");
  RunBatch(in, xlsx);
  RunBatch(in, csv);

  std::unique_ptr<RowReader> sheet = OpenXlsxReader(xlsx);
  std::vector<std::string> cells;
  std::vector<CellKind> kinds;
  ASSERT_TRUE(sheet->Next(cells));
  ASSERT_TRUE(sheet->Next(cells));
  sheet->Kinds(kinds);
  ASSERT_GT(kinds.size(), 7u);
  EXPECT_EQ(cells[7], GetParam().text);
  EXPECT_EQ(kinds[7], GetParam().kind);
  EXPECT_EQ(cells[4], "10000");
  EXPECT_EQ(kinds[4], CellKind::kNumber);
  EXPECT_EQ(kinds[0], CellKind::kDate);

  std::unique_ptr<RowReader> text = OpenCsvReader(csv);
  ASSERT_TRUE(text->Next(cells));
  ASSERT_TRUE(text->Next(cells));
  EXPECT_EQ(cells[7], GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CarriedCellTest,
    ::testing::Values(
        CarriedCase{"HundredThousand", "<c><v>100000</v></c>", "100000", CellKind::kNumber},
        CarriedCase{"TwoMillionInExponentForm", "<c><v>2E+06</v></c>", "2000000",
                    CellKind::kNumber},
        CarriedCase{"TenMillion", "<c><v>10000000</v></c>", "10000000", CellKind::kNumber},
        CarriedCase{"SmallNumberInFullDigits", "<c><v>1.2345678E-7</v></c>", "0.00000012345678",
                    CellKind::kNumber},
        CarriedCase{"NegativeFraction", "<c><v>-0.1</v></c>", "-0.1", CellKind::kNumber},
        CarriedCase{"DigitsTypedAsTextStayText",
                    R"(<c t="inlineStr"><is><t>100000</t></is></c>)", "100000", CellKind::kText},
        CarriedCase{"LeadingZeroText", R"(<c t="inlineStr"><is><t>007</t></is></c>)", "007",
                    CellKind::kText},
        CarriedCase{"DateCell", R"(<c s="1"><v>40086</v></c>)", "2009-09-30", CellKind::kDate},
        CarriedCase{"Boolean", R"(<c t="b"><v>0</v></c>)", "FALSE", CellKind::kBoolean}),
    [](const auto& info) { return std::string(info.param.name); });

// A sheet holds 1,048,576 rows, the header's included: the next row is
// refused, and nothing is left behind.
TEST(XlsxWriter, RefusesTheRowPastExcelsLimit) {
  TempFolder folder;
  const auto file = folder.Path("out.xlsx");
  {
    std::unique_ptr<RowWriter> writer = CreateXlsxWriter(file);
    const std::vector<std::string> row{"x"};
    for (std::int64_t i = 0; i < kXlsxMaxRows; ++i) writer->WriteTexts(row);
    EXPECT_THROW(writer->WriteTexts(row), BatchFileError);
  }
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(std::filesystem::is_empty(file.parent_path()));
}

}  // namespace
}  // namespace quillbary::batch
