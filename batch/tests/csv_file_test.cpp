#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "quillbary/batch_file.h"
#include "refusal.h"
#include "temp_files.h"

namespace quillbary::batch {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> Row(std::size_t empty) {
  return std::vector<std::string>(empty);
}

struct CsvCase {
  const char* name;
  std::string bytes;
  Rows rows;                     // when it reads
  std::optional<Refusal> error;  // else: how it is refused
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
  ExpectReadOrRefusal([&] { EXPECT_EQ(ReadAll(file), GetParam().rows); }, GetParam().error);
}

// 借款 in GB18030 is BD E8 BF EE; 还本结息 is BB B9 B1 BE BD E1 CF A2.
INSTANTIATE_TEST_SUITE_P(
    Files, CsvReadTest,
    ::testing::Values(
        CsvCase{"Utf8NoBom", "a,借款\n1,2\n", {{"a", "借款"}, {"1", "2"}}, std::nullopt},
        CsvCase{"Utf8Bom", "\xEF\xBB\xBF借款,b\r\n", {{"借款", "b"}}, std::nullopt},
        CsvCase{"Gb18030WithoutBom",
                "\xBD\xE8\xBF\xEE,\xBB\xB9\xB1\xBE\xBD\xE1\xCF\xA2\r\n",
                {{"借款", "还本结息"}},
                std::nullopt},
        CsvCase{"Utf16LeBomIsRefusedByName",
                std::string("\xFF\xFE"
                            "a\0,\0b\0\n\0",
                            10),
                {},
                Refusal{BatchProblem::kUtf16}},
        CsvCase{"Utf16BeBomIsRefusedByName",
                std::string("\xFE\xFF\0a\0,\0b\0\n", 10),
                {},
                Refusal{BatchProblem::kUtf16}},
        CsvCase{"CompoundDocumentIsAnEncryptedOrOldWorkbook",
                "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(512, '\0'),
                {},
                Refusal{BatchProblem::kEncryptedOrOldXls}},
        CsvCase{"EmptyFileHasNoRows", "", {}, std::nullopt},
        CsvCase{"HeaderAtTheColumnLimitReads",
                std::string(kMaxColumns - 1, ',') + "\n",
                {Row(kMaxColumns)},
                std::nullopt},
        CsvCase{"HeaderPastTheColumnLimit",
                "\n" + std::string(kMaxColumns, ',') + "\n",
                {},
                Refusal{BatchProblem::kTooManyColumns, 0, 16385}},
        CsvCase{"RowPastTheColumnLimit",
                "a\n" + std::string(kMaxColumns, ',') + "\n",
                {},
                Refusal{BatchProblem::kTooManyColumns, 2, 16385}},
        CsvCase{"QuotedCommaAndQuote",
                "\"10,000.00\",\"say \"\"hi\"\"\"\n",
                {{"10,000.00", "say \"hi\""}},
                std::nullopt},
        CsvCase{"LineBreakInQuotes",
                "\"a\r\nb\",c\nd,e\n",
                {{"a\r\nb", "c"}, {"d", "e"}},
                std::nullopt},
        CsvCase{"NoFinalLineBreak", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}, std::nullopt},
        CsvCase{"EmptyFieldsKept", ",,\n", {{"", "", ""}}, std::nullopt},
        CsvCase{"TrailingCommaAtEnd", "a,", {{"a", ""}}, std::nullopt},
        CsvCase{"QuoteLastCharacter", "a,\"b\"", {{"a", "b"}}, std::nullopt},
        CsvCase{"BlankLineIsARow", "a\n\nb\n", {{"a"}, {""}, {"b"}}, std::nullopt},
        CsvCase{"OpenQuote", "a,b\n\"c,d\n", {}, Refusal{BatchProblem::kQuoteNotClosed, 2}},
        CsvCase{"NulByte", std::string("a,b\nc\0d\n", 8), {}, Refusal{BatchProblem::kNulByte, 2}},
        CsvCase{"BomThenGbk",
                "\xEF\xBB\xBF"
                "a\n\xBD\xE8\xBF\xEE\n",
                {},
                Refusal{BatchProblem::kNotUtf8AfterBom, 2}},
        CsvCase{
            "Binary", "\x89PNG\r\n\x1A\n\xFF\xFF\xFF\x80", {}, Refusal{BatchProblem::kNotText, 3}},
        CsvCase{"HugeCell",
                "a\n\"" + std::string(1 << 21, 'x') + "\"\n",
                {},
                Refusal{BatchProblem::kCellTooLong, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// Lines enough to fill the reader's first block of 64 KB and more.
std::string PastTheFirstBlock() {
  std::string lines;
  for (int i = 0; i < 9000; ++i) lines += "a,b,c,d\n";
  return lines;
}

// Whether a file without a BOM is UTF-8 is decided over the whole file.
TEST(CsvEncoding, Gb18030PastTheFirstBlockReadsLikeItsUtf8Twin) {
  TempFolder folder;
  const Rows rows = ReadAll(folder.Write("utf8.csv", PastTheFirstBlock() + "借款,x\n"));
  ASSERT_EQ(rows.back(), (std::vector<std::string>{"借款", "x"}));
  EXPECT_EQ(ReadAll(folder.Write("gbk.csv", PastTheFirstBlock() + "\xBD\xE8\xBF\xEE,x\n")), rows);
}

struct DigestCase {
  const char* name;
  std::string bytes;
  const char* sha256;  // sha256sum's
};

class CsvDigestTest : public ::testing::TestWithParam<DigestCase> {};

TEST_P(CsvDigestTest, IsTheFilesSha256) {
  TempFolder folder;
  std::unique_ptr<RowReader> reader = OpenCsvReader(folder.Write("in.csv", GetParam().bytes));
  std::vector<std::string> cells;
  while (reader->Next(cells)) {
  }
  EXPECT_EQ(reader->Sha256(), GetParam().sha256);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CsvDigestTest,
    ::testing::Values(
        DigestCase{"Utf8Bom",
                   "\xEF\xBB\xBF"
                   "a,b\r\n",
                   "90d502c334f7b377f13cbea755bfd33b1cdc8a999c4f6b0d0451f5be0de886c1"},
        // Read twice: once to decide the encoding, once for the rows.
        DigestCase{"NoBomOverManyBlocks", PastTheFirstBlock() + "\xBD\xE8\n",
                   "e23ff3160aaa068b42e5c053b5a15ea6e397a830ed15b05f7b676ea67090207e"}),
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
}  // namespace quillbary::batch
