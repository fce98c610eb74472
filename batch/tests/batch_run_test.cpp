#include "quillbary/path_text.h"
#include "quillbary/batch_run.h"

#include <gtest/gtest.h>

#include <string>

#include "quillbary/batch_file.h"
#include "quillbary/sha256.h"
#include "refusal.h"
#include "temp_files.h"

namespace quillbary::batch {
namespace {

constexpr std::string_view kResultHeader =
    "正常天数,正常利息,逾期天数,逾期利率(‰),逾期利息,合计名称,合计,合计大写,提示,错误,状态";

struct RunCase {
  const char* name;
  std::string input;
  std::string output;  // without the BOM; empty when the run is refused
  const char* summary;
  std::optional<Refusal> refusal;  // of the header
};

class BatchRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(BatchRunTest, WritesTheResultsOrRefuses) {
  TempFolder folder;
  const auto in = folder.Write("in.csv", GetParam().input);
  const auto out = folder.Path("out.csv");
  if (GetParam().refusal) {
    try {
      RunBatch(in, out);
      ADD_FAILURE() << "not refused";
    } catch (const BatchHeaderError& e) {
      ExpectFacts(e, *GetParam().refusal);
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    return;
  }
  const BatchSummary summary = RunBatch(in, out);
  EXPECT_EQ(ReadBytes(out), "\xEF\xBB\xBF" + GetParam().output);
  EXPECT_EQ(SummaryText(summary), GetParam().summary);
}

const std::string kHeader = "借款日期,到期日期,还款日期,起息日期,还款金额,月利率(‰),还款方式";
const std::string kExampleCells = "2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,5.31";
const std::string kExampleResults =
    "181,320.37,91,7.965,241.61,利息合计,561.98,人民币伍佰陆拾壹元玖角捌分,,,已算出";
constexpr const char* kExampleSummary =
    "读取 1 行；已算出 1 行；日期有误 0 行；未算出 0 行；正常利息之和 320.37；逾期利息之和 "
    "241.61；利息合计之和 561.98；本息合计之和 0.00";

INSTANTIATE_TEST_SUITE_P(
    Files, BatchRunTest,
    ::testing::Values(
        RunCase{"WorkedExample", kHeader + "\n" + kExampleCells + ",只结利息\n",
                kHeader + "," + std::string(kResultHeader) + "\r\n" + kExampleCells + ",只结利息," +
                    kExampleResults + "\r\n",
                kExampleSummary, std::nullopt},
        RunCase{
            "AnyOrderAliasesAndOtherColumnsInPlace",
            "备注,还款方式,借款人,利率（‰）,还款金额,起息日期,还款日期,到期日期,借款日期\n"
            "\"a,b\",只结利息,张三,5.31,10000,2009/1/1,20090930,2009年7月1日,2009.1.1\n",
            "备注,还款方式,借款人,利率（‰）,还款金额,起息日期,还款日期,到期日期,借款日期," +
                std::string(kResultHeader) +
                "\r\n\"a,b\",只结利息,张三,5.31,10000,2009/1/1,20090930,2009年7月1日,2009.1.1," +
                kExampleResults + "\r\n",
            kExampleSummary, std::nullopt},
        RunCase{"FailingRowsDoNotStopTheOthers",
                kHeader + "\n" + kExampleCells + ",还本结息\n" + kExampleCells + ",\n" +
                    "2009-02-30,2009-07-01,2009-09-30,2009-01-01,1,1,只结利息\n" + kExampleCells +
                    "\n\n" + kExampleCells + ",只结利息\n",
                kHeader + "," + std::string(kResultHeader) + "\r\n" + kExampleCells +
                    ",还本结息,181,320.37,91,7.965,241.61,本息合计,10561.98,"
                    "人民币壹万零伍佰陆拾壹元玖角捌分,,,已算出\r\n" +
                    kExampleCells + ",,181,320.37,91,7.965,241.61,,,,,请选择还款方式！,未算出\r\n" +
                    "2009-02-30,2009-07-01,2009-09-30,2009-01-01,1,1,只结利息,,,,,,,,,,"
                    "借款日期“2009-02-30”不是存在的日期,未算出\r\n" +
                    kExampleCells + ",,,,,,,,,,,本行只有 6 列，表头有 7 列,未算出\r\n" +
                    kExampleCells + ",只结利息," + kExampleResults + "\r\n",
                "读取 5 行；已算出 2 行；日期有误 0 行；未算出 3 行；正常利息之和 640.74；"
                "逾期利息之和 483.22；利息合计之和 561.98；本息合计之和 10561.98",
                std::nullopt},
        RunCase{"GbkInUtf8Out",
                "\xBD\xE8\xBF\xEE\xC8\xD5\xC6\xDA,\xB5\xBD\xC6\xDA\xC8\xD5\xC6\xDA,"
                "\xBB\xB9\xBF\xEE\xC8\xD5\xC6\xDA,\xC6\xF0\xCF\xA2\xC8\xD5\xC6\xDA,"
                "\xBB\xB9\xBF\xEE\xBD\xF0\xB6\xEE,\xD4\xC2\xC0\xFB\xC2\xCA,"
                "\xBB\xB9\xBF\xEE\xB7\xBD\xCA\xBD\r\n" +
                    kExampleCells + ",\xD6\xBB\xBD\xE1\xC0\xFB\xCF\xA2\r\n",
                "借款日期,到期日期,还款日期,起息日期,还款金额,月利率,还款方式," +
                    std::string(kResultHeader) + "\r\n" + kExampleCells + ",只结利息," +
                    kExampleResults + "\r\n",
                kExampleSummary, std::nullopt},
        RunCase{"MissingColumnsNamed", "借款日期,到期日期,还款日期,起息日期,还款金额\n", "", "",
                Refusal{BatchProblem::kMissingColumns, 0, 0, "月利率(‰)、还款方式"}},
        RunCase{"NoHeaderAtAll", kExampleCells + ",只结利息\n", "", "",
                Refusal{BatchProblem::kMissingColumns, 0, 0,
                        "借款日期、到期日期、还款日期、起息日期、还款金额、月利率(‰)、还款方式"}},
        RunCase{"RateNamedTwice", kHeader + ",月利率\n", "", "",
                Refusal{BatchProblem::kDuplicateColumn, 0, 6, "月利率(‰)", 8}},
        RunCase{"EmptyFile", "", "", "", Refusal{BatchProblem::kEmptyFile}}),
    [](const auto& info) { return std::string(info.param.name); });

// A sheet with a row of each kind: each row's 状态 and 错误, and the summary
// counting the rows by status and adding up the 已算出 rows' figures only,
// each sum on its own.
struct StatusRow {
  const char* name;
  std::string cells;  // 借款日期 … 还款方式
  const char* status;
  const char* error;  // the start of the row's 错误
};

const StatusRow kStatusRows[] = {
    {"interest only", kExampleCells + ",只结利息", "已算出", ""},
    {"principal and interest", "2009-01-01,2009-07-01,2009-09-30,2009-01-01,20000.05,5.31,还本结息",
     "已算出", ""},
    {"repaid before the loan", "2009-01-01,2009-07-01,2008-12-01,2009-01-01,100000,4.35,只结利息",
     "日期有误", ""},
    {"amount refused", "2009-01-01,2009-07-01,2009-09-30,2009-01-01,5万,5.31,只结利息", "未算出",
     "还款金额“5万”不是数字。"},
    {"rate refused", "2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,4.35%,只结利息", "未算出",
     "月利率“4.35%”不是数字。"},
    {"rate empty", "2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,,只结利息", "未算出",
     "请输入利率！"},
    {"no method", kExampleCells + ",", "未算出", "请选择还款方式！"},
    {"unreadable date", "2009-01-01,2009-07-01,明天,2009-01-01,10000,5.31,只结利息", "未算出",
     "还款日期“明天”"},
    {"overflow", "2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,1.7E308,只结利息", "未算出",
     "运行时错误 '6'"},
};

TEST(BatchRunStatuses, EachRowsStatusAndTheSumsOfTheCalculatedOnes) {
  TempFolder folder;
  std::string input = kHeader + "\n";
  for (const StatusRow& row : kStatusRows) input += row.cells + "\n";
  const auto in = folder.Write("in.csv", input);
  const auto out = folder.Path("out.csv");
  const BatchSummary summary = RunBatch(in, out);

  std::unique_ptr<RowReader> reader = OpenCsvReader(out);
  std::vector<std::string> cells;
  ASSERT_TRUE(reader->Next(cells));
  for (const StatusRow& row : kStatusRows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(reader->Next(cells));
    EXPECT_EQ(cells[7 + kStatus], row.status);
    EXPECT_TRUE(cells[7 + kError].starts_with(row.error)) << cells[7 + kError];
    EXPECT_EQ(cells[7 + kError].empty(), *row.error == '\0');
    EXPECT_EQ(cells[7 + kWarnings].empty(), std::string_view(row.status) != "日期有误");
  }
  EXPECT_EQ(summary.rowsRead, 9);
  EXPECT_EQ(summary.rowsCalculated, 2);
  EXPECT_EQ(summary.rowsDateOrder, 1);
  EXPECT_EQ(summary.rowsNotCalculated, 6);
  // The 20000.05 row: 正常利息 20000.05 × 0.000177 × 181 = 640.7416… -> 640.74,
  // 逾期利息 91 × (20000.05 × 0.0002655) = 483.2112… -> 483.21, 本息合计
  // 483.2112… + 20000.05 + 640.7416… = 21124.0028… -> 21124.00.
  EXPECT_EQ(summary.normalInterestSum, "961.11");
  EXPECT_EQ(summary.overdueInterestSum, "724.82");
  EXPECT_EQ(summary.interestTotalSum, "561.98");
  EXPECT_EQ(summary.principalAndInterestSum, "21124.00");
  EXPECT_EQ(SingleKindTotalSum(summary), "");
}

// Rows spread over many chunks come back in the input's order, each with its
// own results.
TEST(BatchRunOrder, ManyRowsKeepTheirOrder) {
  TempFolder folder;
  std::string input = "借据号," + kHeader + "\n";
  constexpr int kRows = 50000;
  for (int i = 0; i < kRows; ++i) {
    input += std::to_string(i) + ",2009-01-01,2009-07-01,2009-09-30,2009-01-01," +
             std::to_string(i) + ",5.31,只结利息\n";
  }
  const auto in = folder.Write("in.csv", input);
  const auto out = folder.Path("out.csv");
  const BatchSummary summary = RunBatch(in, out);
  EXPECT_EQ(summary.rowsRead, kRows);
  std::unique_ptr<RowReader> reader = OpenCsvReader(out);
  std::vector<std::string> cells;
  ASSERT_TRUE(reader->Next(cells));
  for (int i = 0; i < kRows; ++i) {
    ASSERT_TRUE(reader->Next(cells));
    ASSERT_EQ(cells[0], std::to_string(i));
    ASSERT_EQ(cells[5], cells[0]);  // the amount
    ASSERT_EQ(cells[8], "181");
  }
  EXPECT_FALSE(reader->Next(cells));
}

TEST(BatchRunOutput, NeverOverwritesTheInput) {
  TempFolder folder;
  const std::string bytes = kHeader + "\n" + kExampleCells + ",只结利息\n";
  const auto in = folder.Write("in.csv", bytes);
  EXPECT_THROW(RunBatch(in, in), files::FileError);
  EXPECT_THROW(RunBatch(in, in.parent_path() / "." / "in.csv"), files::FileError);
  EXPECT_EQ(ReadBytes(in), bytes);
}

TEST(BatchRunOutput, CancelWritesNothing) {
  TempFolder folder;
  std::string bytes = kHeader + "\n";
  for (int i = 0; i < 20000; ++i) bytes += kExampleCells + ",只结利息\n";
  const auto in = folder.Write("in.csv", bytes);
  const auto out = folder.Path("out.csv");
  EXPECT_THROW(RunBatch(in, out, [](const BatchProgress& p) { return p.rows < 10000; }),
               BatchCancelled);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(in.parent_path()),
                          std::filesystem::directory_iterator()),
            1);
}

// A header 16,384 columns wide over thousands of one-cell lines would pad
// into an output thousands of times the input's size: refused, nothing written.
TEST(BatchRunOutput, AWideHeaderOverShortRowsIsRefusedBeforeTheOutputOutgrowsItsInput) {
  TempFolder folder;
  std::string bytes = kHeader + std::string(16384 - 7, ',') + "\n";
  for (int i = 0; i < 5000; ++i) bytes += "1\n";
  const auto in = folder.Write("in.csv", bytes);
  const auto out = folder.Path("out.csv");
  try {
    RunBatch(in, out);
    ADD_FAILURE() << "not refused";
  } catch (const BatchFileError& e) {
    EXPECT_EQ(e.problem(), BatchProblem::kOutputTooLarge) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

// The finished run sees its output whole before it takes its place, in
// either format, with the digest of the very bytes read; when it refuses,
// before or after putting the output in place (a record that does not
// commit), an output already there stays as it was.
TEST(BatchRunOutput, FinishedSeesTheWholeFileAndMayRefuseIt) {
  TempFolder folder;
  const std::string bytes = kHeader + "\n" + kExampleCells + ",只结利息\n";
  const auto in = folder.Write("in.csv", bytes);
  files::Sha256 digest;
  digest.Add(bytes);
  const std::string inputSha256 = digest.HexDigest();
  for (const char* name : {"out.csv", "out.xlsx"}) {
    const auto out = folder.Write(name, "earlier");
    std::string seen;
    const auto keep = [&](const BatchSummary& summary, const std::filesystem::path& whole,
                          const std::function<void()>& putInPlace) {
      EXPECT_EQ(summary.interestTotalSum, "561.98");
      EXPECT_EQ(summary.inputSha256, inputSha256);
      EXPECT_NE(whole, out);
      seen = ReadBytes(whole);
      putInPlace();
    };
    RunBatch(in, out, {}, keep);
    EXPECT_EQ(ReadBytes(out), seen) << name;

    for (const bool placed : {false, true}) {
      folder.Write(name, "earlier");
      const auto refuse = [&](const BatchSummary&, const std::filesystem::path&,
                              const std::function<void()>& putInPlace) {
        if (placed) putInPlace();
        throw std::runtime_error("not recorded");
      };
      EXPECT_THROW(RunBatch(in, out, {}, refuse), std::runtime_error);
      EXPECT_EQ(ReadBytes(out), "earlier") << name << (placed ? " put in place" : "");
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(in.parent_path()),
                              std::filesystem::directory_iterator()),
                2)
          << name << ": the temporary file is left behind";
    }
    std::filesystem::remove(out);
  }
}

struct NameCase {
  const char* name;
  const char* input;
  const char* output;
};

class DefaultOutputTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DefaultOutputTest, AddsTheSuffixBeforeTheExtension) {
  EXPECT_EQ(files::Utf8Of(DefaultOutputPath(files::PathOfUtf8(GetParam().input))), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(Names, DefaultOutputTest,
                         ::testing::Values(NameCase{"Csv", "月末.csv", "月末-结果.csv"},
                                           NameCase{"XlsxInFolder", "a/b.xlsx", "a/b-结果.xlsx"},
                                           NameCase{"NoExtension", "rows", "rows-结果"},
                                           NameCase{"TwoDots", "a.b.csv", "a.b-结果.csv"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbary::batch
