// A batch run: every row of a file through the window's Calculate, written to
// another file with the results after the row's own columns.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/batch_error.h"
#include "quillbary/safe_file.h"

namespace quillbary::batch {

// The header names a batch file's columns go by. Each list is one column:
// its name, then the other names accepted for it.
struct InputColumn {
  std::string_view name;
  std::span<const std::string_view> aliases;
  bool required;
};
std::span<const InputColumn> InputColumns();

// Where each input column is in a header: the index for each of
// InputColumns() in order, or -1 for an optional column that is not there.
// Names compare with blanks trimmed and full-width brackets as ASCII
// ("月利率（‰）" is 月利率(‰)). Throws BatchHeaderError naming the required
// columns that are missing ("表头缺少列：还款方式") or a column named twice.
std::vector<int> FindInputColumns(std::span<const std::string> header);

// What a run came to: its rows by status (batch_row.h: 已算出, 日期有误,
// 未算出) and the figures of its 已算出 rows added up, each on its own and
// exact to the fen ("超出范围" for a sum past what is kept). A 日期有误 row's
// figures are not added: no statement would be given for them.
struct BatchSummary {
  std::int64_t rowsRead = 0;
  std::int64_t rowsCalculated = 0;     // 已算出
  std::int64_t rowsDateOrder = 0;      // 日期有误
  std::int64_t rowsNotCalculated = 0;  // 未算出
  std::string normalInterestSum = "0.00";        // 正常利息
  std::string overdueInterestSum = "0.00";       // 逾期利息
  std::string interestTotalSum = "0.00";         // 利息合计, the 只结利息 rows'
  std::string principalAndInterestSum = "0.00";  // 本息合计, the 还本结息 rows'
  std::string inputSha256;  // of the bytes the run read, lower-case hex
};

// The one sum that stands for the 已算出 rows' totals: the 利息合计 sum
// when no row has a 本息合计, the 本息合计 sum when no row has a 利息合计
// ("0.00" for neither), and "" when both kinds are there, since a sum of
// interest and of principal with interest means nothing.
std::string SingleKindTotalSum(const BatchSummary& summary);

// One line of the summary: a count of rows or a sum of money.
struct SummaryLine {
  std::string label;  // "已算出行数", "利息合计之和"
  std::string value;  // "2", "11123.96"
  bool isCount = false;
};

// The summary's lines in order: 读取行数, 已算出行数, 日期有误行数,
// 未算出行数, 正常利息之和, 逾期利息之和, 利息合计之和, 本息合计之和.
std::vector<SummaryLine> SummaryLines(const BatchSummary& summary);

// The summary as one text, for the command line and the window:
//   读取 10 行；已算出 2 行；日期有误 1 行；未算出 7 行；正常利息之和 566.40；
//   逾期利息之和 241.61；利息合计之和 561.98；本息合计之和 10246.03
// (on one line).
std::string SummaryText(const BatchSummary& summary);

// The rows read so far and the part of the file read, 0 to 1.
struct BatchProgress {
  std::int64_t rows = 0;
  double fraction = 0;
};
// Told of the progress now and then; returning false stops the run.
using BatchProgressSink = std::function<bool(const BatchProgress&)>;

// The output's name when none is given: the input's with "-结果" before the
// extension: "月末.csv" -> "月末-结果.csv", "a/b.xlsx" -> "a/b-结果.xlsx".
std::filesystem::path DefaultOutputPath(const std::filesystem::path& input);

// Whether a file name asks for XLSX (".xlsx", any case) rather than CSV.
bool IsXlsxName(const std::filesystem::path& file);

// Told of a run that has calculated every row, with its output whole and
// synced under a temporary name (`whole`), before that takes the output's
// place: it records the run and calls putInPlace() inside the record's
// transaction, so that the record and the output stand or fall together.
// Throwing from it, before or after putInPlace(), leaves the output as it was
// and passes on.
using BatchFinished = std::function<void(const BatchSummary& summary,
                                         const std::filesystem::path& whole,
                                         const std::function<void()>& putInPlace)>;

// Reads `input` (XLSX when it is a zip, else CSV), calculates every row on
// all cores, and writes `output` (XLSX or CSV by its name) in the input's
// order, whole or not at all. Blank rows are skipped. The output is never
// the input, nor any file in `keep.kept` (the journal), nor anything but a
// regular file (safe_file.h). Throws BatchFileError (a file cannot be read),
// files::FileError (the output cannot be written, or is refused),
// BatchHeaderError or BatchCancelled, or what `finished` throws.
BatchSummary RunBatch(const std::filesystem::path& input, const std::filesystem::path& output,
                      const BatchProgressSink& progress = {}, const BatchFinished& finished = {},
                      files::WriteOptions keep = {});

// Writes the header and the worked example as a row, CSV or XLSX by name.
// Never replaces a file: an existing `file` is refused (files::FileError,
// kExists), so a template never overwrites a filled sheet.
void WriteBatchTemplate(const std::filesystem::path& file);

}  // namespace quillbary::batch
