#include "quillbary/batch_run.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "calculating_pipeline.h"
#include "money_sum.h"
#include "open_reader.h"
#include "quillbary/batch_file.h"
#include "quillbary/batch_row.h"
#include "quillbary/path_text.h"
#include "text_fold.h"

namespace quillbary::batch {
namespace {

using detail::CalculatingPipeline;
using detail::Chunk;
using detail::IsBlank;
using detail::Layout;

std::unique_ptr<RowWriter> CreateWriter(const std::filesystem::path& file,
                                        const files::WriteOptions& options) {
  return IsXlsxName(file) ? CreateXlsxWriter(file, options) : CreateCsvWriter(file, options);
}

}  // namespace

std::string SingleKindTotalSum(const BatchSummary& s) {
  constexpr std::string_view kNone = "0.00";
  if (s.principalAndInterestSum == kNone) return s.interestTotalSum;
  if (s.interestTotalSum == kNone) return s.principalAndInterestSum;
  return {};
}

std::vector<SummaryLine> SummaryLines(const BatchSummary& s) {
  const auto count = [](std::string_view what, std::int64_t rows) {
    return SummaryLine{std::string(what) + "行数", std::to_string(rows), true};
  };
  return {count("读取", s.rowsRead),
          count("已算出", s.rowsCalculated),
          count("日期有误", s.rowsDateOrder),
          count("未算出", s.rowsNotCalculated),
          {"正常利息之和", s.normalInterestSum},
          {"逾期利息之和", s.overdueInterestSum},
          {"利息合计之和", s.interestTotalSum},
          {"本息合计之和", s.principalAndInterestSum}};
}

std::string SummaryText(const BatchSummary& s) {
  constexpr std::string_view kRows = "行数";
  std::string text;
  for (const SummaryLine& line : SummaryLines(s)) {
    if (!text.empty()) text += "；";
    if (line.isCount) {  // "已算出行数" 2 -> "已算出 2 行"
      text += line.label.substr(0, line.label.size() - kRows.size()) + " " + line.value + " 行";
    } else {
      text += line.label + " " + line.value;
    }
  }
  return text;
}

std::filesystem::path DefaultOutputPath(const std::filesystem::path& input) {
  std::filesystem::path output = input;
  output.replace_filename(
      files::PathOfUtf8(files::Utf8Of(input.stem()) + "-结果" + files::Utf8Of(input.extension())));
  return output;
}

bool IsXlsxName(const std::filesystem::path& file) {
  std::string extension = files::Utf8Of(file.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".xlsx";
}

BatchSummary RunBatch(const std::filesystem::path& input, const std::filesystem::path& output,
                      const BatchProgressSink& progress, const BatchFinished& finished,
                      files::WriteOptions keep) {
  keep.kept.push_back({"输入文件", input});
  std::unique_ptr<RowReader> reader = detail::OpenInputReader(input);
  std::vector<std::string> header;
  do {
    if (!reader->Next(header)) throw BatchHeaderError({.problem = BatchProblem::kEmptyFile});
  } while (IsBlank(header));
  const Layout layout{FindInputColumns(header), header.size(), reader->ShortRowIsRagged()};

  std::unique_ptr<RowWriter> writer = CreateWriter(output, keep);
  writer->WriteHeader(header);

  BatchSummary summary;
  detail::MoneySum normalInterest, overdueInterest, interestTotals, principalAndInterest;
  // Every row is written padded to the header's width: a wide header over
  // many short rows would make an output far beyond anything its input
  // holds (16,384 columns times 4 million one-cell lines of an 8 MB file is
  // 65 billion cells). The output's cells are held to 64 Mi, or 16 for each
  // byte of the input when that is more: every real sheet fits, a million
  // rows of 64 columns among them.
  std::error_code unsized;
  const std::uintmax_t inputBytes = std::filesystem::file_size(input, unsized);
  const std::uintmax_t maxOutputCells =
      (std::uintmax_t{64} << 20) + (unsized ? 0 : 16 * inputBytes);
  const std::uintmax_t cellsPerRow = layout.width + kResultColumns.size();
  std::uintmax_t outputCells = 0;
  const auto write = [&](const Chunk& chunk) {
    outputCells += chunk.count * cellsPerRow;
    if (outputCells > maxOutputCells) {
      throw BatchFileError({.problem = BatchProblem::kOutputTooLarge,
                            .file = files::Utf8Of(input),
                            .column = static_cast<std::int64_t>(layout.width),
                            .number = maxOutputCells,
                            .fileSize = inputBytes});
    }
    if (writer->EncodesRows()) writer->WriteEncoded(chunk.encoded);
    for (std::size_t i = 0; i < chunk.count; ++i) {
      const RowOutcome& outcome = chunk.outcomes[i];
      if (!writer->EncodesRows()) writer->WriteRow(chunk.rows[i], chunk.kinds[i], outcome.cells);
      ++summary.rowsRead;
      switch (outcome.status) {
        case RowStatus::kCalculated:
          ++summary.rowsCalculated;
          normalInterest.Add(outcome.cells[kNormalInterest]);
          overdueInterest.Add(outcome.cells[kOverdueInterest]);
          (outcome.interestOnly ? interestTotals : principalAndInterest).Add(outcome.cells[kTotal]);
          break;
        case RowStatus::kDateOrder:
          ++summary.rowsDateOrder;
          break;
        case RowStatus::kNotCalculated:
          ++summary.rowsNotCalculated;
          break;
      }
    }
  };

  // One thread reads, every core calculates, and this thread writes the
  // chunks in the order they were read.
  const std::size_t inFlight = std::max(2u, std::thread::hardware_concurrency()) + 1;
  CalculatingPipeline chunks(*reader, layout, *writer, inFlight);
  while (std::unique_ptr<Chunk> chunk = chunks.Next()) {
    write(*chunk);
    if (progress && !progress({chunk->rowsRead, chunk->fraction})) throw BatchCancelled{};
    chunks.Recycle(std::move(chunk));
  }
  summary.normalInterestSum = normalInterest.Text();
  summary.overdueInterestSum = overdueInterest.Text();
  summary.interestTotalSum = interestTotals.Text();
  summary.principalAndInterestSum = principalAndInterest.Text();
  summary.inputSha256 = reader->Sha256();
  writer->WriteSummary(SummaryLines(summary));
  writer->Commit([&](const std::filesystem::path& whole, const std::function<void()>& putInPlace) {
    if (finished) finished(summary, whole, putInPlace);
  });
  return summary;
}

void WriteBatchTemplate(const std::filesystem::path& file) {
  const std::vector<std::string> header{"借款人",   "借据号",   "借款日期",  "到期日期", "还款日期",
                                        "起息日期", "还款金额", "月利率(‰)", "还款方式"};
  const std::vector<std::string> example{"张三",       "JK-0001",    "2009-01-01",
                                         "2009-07-01", "2009-09-30", "2009-01-01",
                                         "10000",      "5.31",       "只结利息"};
  std::unique_ptr<RowWriter> writer = CreateWriter(file, {{}, true});
  writer->WriteTexts(header);
  writer->WriteTexts(example);
  writer->Commit();
}

}  // namespace quillbary::batch
