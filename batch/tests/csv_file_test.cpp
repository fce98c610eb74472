#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quillbary/batch_file.h"
#include "temp_files.h"

namespace quillbary {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct CsvCase {
  const char* name;
  std::string bytes;
  Rows rows;          // when it reads
  const char* error;  // else: a part of the message
};

Rows ReadAll(const std::filesystem::path& file) {
  Rows rows;
  std::unique_ptr<RowReader> reader = OpenCsvReader(file);
  std::vector<std::string> cells;
  while (reader->Next(cells)) rows.push_back(cells);
  return rows;
}

class CsvReadTest : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvReadTest, ReadsOrRefuses) {
  TempFolder folder;
  const auto file = folder.Write("in.csv", GetParam().bytes);
  if (GetParam().error == nullptr) {
    EXPECT_EQ(ReadAll(file), GetParam().rows);
  } else {
    try {
      ReadAll(file);
      ADD_FAILURE() << "read without an error";
    } catch (const BatchFileError& e) {
      EXPECT_NE(std::string(e.what()).find(GetParam().error), std::string::npos) << e.what();
    }
  }
}

// 借款 in GB18030 is BD E8 BF EE; 还本结息 is BB B9 B1 BE BD E1 CF A2.
INSTANTIATE_TEST_SUITE_P(
    Files, CsvReadTest,
    ::testing::Values(
        CsvCase{"Utf8NoBom", "a,借款\n1,2\n", {{"a", "借款"}, {"1", "2"}}, nullptr},
        CsvCase{"Utf8Bom", "\xEF\xBB\xBF借款,b\r\n", {{"借款", "b"}}, nullptr},
        CsvCase{"Gb18030WithoutBom",
                "\xBD\xE8\xBF\xEE,\xBB\xB9\xB1\xBE\xBD\xE1\xCF\xA2\r\n",
                {{"借款", "还本结息"}},
                nullptr},
        CsvCase{"Utf16LeBom",
                std::string("\xFF\xFE"
                            "a\0,\0b\0\n\0",
                            10),
                {{"a", "b"}},
                nullptr},
        CsvCase{"QuotedCommaAndQuote",
                "\"10,000.00\",\"say \"\"hi\"\"\"\n",
                {{"10,000.00", "say \"hi\""}},
                nullptr},
        CsvCase{"LineBreakInQuotes", "\"a\r\nb\",c\nd,e\n", {{"a\r\nb", "c"}, {"d", "e"}}, nullptr},
        CsvCase{"NoFinalLineBreak", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}, nullptr},
        CsvCase{"EmptyFieldsKept", ",,\n", {{"", "", ""}}, nullptr},
        CsvCase{"TrailingCommaAtEnd", "a,", {{"a", ""}}, nullptr},
        CsvCase{"QuoteLastCharacter", "a,\"b\"", {{"a", "b"}}, nullptr},
        CsvCase{"BlankLineIsARow", "a\n\nb\n", {{"a"}, {""}, {"b"}}, nullptr},
        CsvCase{"OpenQuote", "a,b\n\"c,d\n", {}, "第 2 行起的引号直到文件末尾都没有结束"},
        CsvCase{"NulByte", std::string("a,b\nc\0d\n", 8), {}, "NUL"},
        CsvCase{"BomThenGbk",
                "\xEF\xBB\xBF"
                "a\n\xBD\xE8\xBF\xEE\n",
                {},
                "第 2 行含有不是 UTF-8"},
        CsvCase{"Binary", "\x89PNG\r\n\x1A\n\xFF\xFF\xFF\x80", {}, "这不是文本 CSV"},
        CsvCase{"HugeCell",
                "a\n\"" + std::string(1 << 21, 'x') + "\"\n",
                {},
                "第 2 行的单元格超过 1 MB"}),
    [](const auto& info) { return std::string(info.param.name); });

// Rows across the reader's blocks, with quoted line breaks and
// multi-byte characters cut by a block's end, read back as written.
TEST(CsvRoundTrip, LongFileReadsBackAsWritten) {
  TempFolder folder;
  Rows rows;
  for (int i = 0; i < 60000; ++i) {
    rows.push_back({"借款人" + std::to_string(i), i % 7 == 0 ? "a,\"b\"\nc" : "还本结息",
                    std::to_string(i * 3)});
  }
  const auto file = folder.Path("round.csv");
  {
    std::unique_ptr<RowWriter> writer = CreateCsvWriter(file);
    for (const auto& row : rows) writer->WriteTexts(row);
    writer->Commit();
  }
  EXPECT_TRUE(ReadBytes(file).starts_with("\xEF\xBB\xBF"));
  EXPECT_EQ(ReadAll(file), rows);
}

TEST(CsvWriter, WithoutCommitLeavesNothing) {
  TempFolder folder;
  const auto file = folder.Write("out.csv", "old");
  {
    std::unique_ptr<RowWriter> writer = CreateCsvWriter(file);
    writer->WriteTexts(std::vector<std::string>{"new"});
  }
  EXPECT_EQ(ReadBytes(file), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace quillbary
