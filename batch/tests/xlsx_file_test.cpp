#include <gtest/gtest.h>
#include <zip.h>

#include <map>
#include <string>
#include <vector>

#include "quillbary/batch_file.h"
#include "temp_files.h"

namespace quillbary {
namespace {

using Parts = std::map<std::string, std::string>;
using Rows = std::vector<std::vector<std::string>>;

// Writes a zip of the given parts, as a workbook's files.
void WriteZip(const std::filesystem::path& file, const Parts& parts) {
  int error = 0;
  zip_t* archive = zip_open(file.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
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
  Rows rows;          // when it reads
  const char* error;  // else: a part of the message
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
  Rows rows;
  try {
    std::unique_ptr<RowReader> reader = OpenXlsxReader(file);
    std::vector<std::string> cells;
    while (reader->Next(cells)) rows.push_back(cells);
    EXPECT_EQ(GetParam().error, nullptr) << "read without an error";
    EXPECT_EQ(rows, GetParam().rows);
  } catch (const BatchFileError& e) {
    ASSERT_NE(GetParam().error, nullptr) << e.what();
    EXPECT_NE(std::string(e.what()).find(GetParam().error), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Workbooks, XlsxReadTest,
    ::testing::Values(
        XlsxCase{
            "SharedRichAndPhoneticStrings",
            Workbook(
                R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c></row>)"),
            {{"借款日期", "还本结息"}},
            nullptr},
        XlsxCase{
            "InlineFormulaBoolAndGaps",
            Workbook(
                R"(<row r="1"><c r="B1" t="inlineStr"><is><t>只结利息</t></is></c>)"
                R"(<c r="D1" t="str"><f>A1</f><v>x</v></c><c r="E1" t="b"><v>1</v></c></row>)"),
            {{"", "只结利息", "", "x", "TRUE"}},
            nullptr},
        XlsxCase{"NumbersShortestRoundTrip",
                 Workbook(R"(<row><c><v>10000</v></c><c><v>5.3099999999999996</v></c>)"
                          R"(<c><v>1E+20</v></c><c s="3"><v>0.1</v></c></row>)"),
                 {{"10000", "5.31", "1e+20", "0.1"}},
                 nullptr},
        XlsxCase{"DateStylesBuiltInAndCustom",
                 Workbook(R"(<row><c s="1"><v>39814</v></c><c s="2"><v>40086.75</v></c>)"
                          R"(<c s="0"><v>39814</v></c><c s="1"><v>1</v></c></row>)"),
                 {{"2009-01-01", "2009-09-30", "39814", "1900-01-01"}},
                 nullptr},
        XlsxCase{"NoWorkbookPart",
                 Without(Without(Workbook(""), "xl/_rels/workbook.xml.rels"), "xl/workbook.xml"),
                 {},
                 "没有工作簿"},
        XlsxCase{"NoSheetInWorkbook",
                 Parts{{"xl/workbook.xml", "<workbook><sheets/></workbook>"}},
                 {},
                 "没有工作表"},
        XlsxCase{"SheetPartMissing",
                 Without(Workbook(""), "xl/worksheets/first.xml"),
                 {},
                 "没有第一张工作表"},
        XlsxCase{"BrokenSheetXml", Workbook("<row><c><v>1</v></row>"), {}, "不是有效的 XML"},
        XlsxCase{"SharedStringOutOfRange",
                 Workbook(R"(<row r="4"><c t="s"><v>9</v></c></row>)"),
                 {},
                 "第 4 行引用了不存在的共享字符串"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XlsxReader, NotAZipIsNamed) {
  TempFolder folder;
  const auto file = folder.Write("in.xlsx", "借款日期,到期日期\n");
  EXPECT_THROW(OpenXlsxReader(file), BatchFileError);
}

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
}  // namespace quillbary
