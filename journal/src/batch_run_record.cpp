// A batch run's entry: its fields as item rows, and the digests of its files.
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "entry_columns.h"
#include "quillbary/journal.h"
#include "quillbary/system_file.h"
#include "quillbary/sha256.h"

namespace quillbary::journal {
namespace {

// Each field of a batch run with the item it is kept under.
struct TextField {
  std::string_view item;
  std::string BatchRunRecord::*field;
};
struct CountField {
  std::string_view item;
  std::int64_t BatchRunRecord::*field;
};
constexpr std::array<TextField, 4> kFiles = {{
    {"输入文件", &BatchRunRecord::inputPath},
    {"输入文件 SHA-256", &BatchRunRecord::inputSha256},
    {"输出文件", &BatchRunRecord::outputPath},
    {"输出文件 SHA-256", &BatchRunRecord::outputSha256},
}};
constexpr CountField kRowsRead = {"读取行数", &BatchRunRecord::rowsRead};
// An older entry's counts, after 读取行数.
constexpr std::array<CountField, 3> kOlderCounts = {{
    {"有合计行数", &BatchRunRecord::rowsWithTotal},
    {"有提示行数", &BatchRunRecord::rowsWithWarnings},
    {"有错误行数", &BatchRunRecord::rowsWithErrors},
}};
// A run's counts by status, after 读取行数, and its sums.
constexpr std::array<CountField, 3> kStatusCounts = {{
    {"已算出行数", &BatchRunRecord::rowsCalculated},
    {"日期有误行数", &BatchRunRecord::rowsDateOrder},
    {"未算出行数", &BatchRunRecord::rowsNotCalculated},
}};
constexpr std::array<TextField, 4> kSums = {{
    {"正常利息之和", &BatchRunRecord::normalInterestSum},
    {"逾期利息之和", &BatchRunRecord::overdueInterestSum},
    {"利息合计之和", &BatchRunRecord::interestTotalSum},
    {"本息合计之和", &BatchRunRecord::principalAndInterestSum},
}};

// A file descriptor, closed with the object.
struct OpenFile {
  int fd;
  ~OpenFile() {
    if (fd >= 0) files::CloseFile(fd);
  }
};

}  // namespace

// An older entry's rows: the files, 读取行数, 有合计行数, 有提示行数,
// 有错误行数, 合计之和. A run with statuses: the files, 读取行数, 已算出行数,
// 日期有误行数, 未算出行数, the four sums, and 合计之和 when it has one.
std::vector<StatementRow> BatchRunRows(const BatchRunRecord& run) {
  std::vector<StatementRow> rows;
  const auto count = [&](const CountField& field) {
    rows.push_back({std::string(field.item), std::to_string(run.*field.field)});
  };
  for (const TextField& file : kFiles) rows.push_back({std::string(file.item), run.*file.field});
  count(kRowsRead);
  if (!run.hasStatuses) {
    for (const CountField& field : kOlderCounts) count(field);
    rows.push_back({std::string(kBatchTotalItem), run.totalSum});
    return rows;
  }
  for (const CountField& field : kStatusCounts) count(field);
  for (const TextField& sum : kSums) rows.push_back({std::string(sum.item), run.*sum.field});
  if (!run.totalSum.empty()) rows.push_back({std::string(kBatchTotalItem), run.totalSum});
  return rows;
}

BatchRunRecord BatchRunFromRows(const std::vector<StatementRow>& rows) {
  BatchRunRecord run;
  const auto readCount = [](const StatementRow& row, const CountField& field, BatchRunRecord& r) {
    if (row.item != field.item) return false;
    std::from_chars(row.value.data(), row.value.data() + row.value.size(), r.*field.field);
    return true;
  };
  for (const StatementRow& row : rows) {
    for (const TextField& field : kFiles) {
      if (row.item == field.item) run.*field.field = row.value;
    }
    readCount(row, kRowsRead, run);
    for (const CountField& field : kOlderCounts) readCount(row, field, run);
    for (const CountField& field : kStatusCounts) {
      if (readCount(row, field, run)) run.hasStatuses = true;
    }
    for (const TextField& field : kSums) {
      if (row.item == field.item) run.*field.field = row.value;
    }
    if (row.item == kBatchTotalItem) run.totalSum = row.value;
  }
  return run;
}

std::string FileSha256(const std::filesystem::path& file) {
  const auto fail = [&file](const char* doing, int error) {
    throw JournalError(JournalError::Kind::kIo, file,
                       std::string(doing) + "（" + std::strerror(error) + "）");
  };
  // Never waits: a FIFO in the file's place is refused, not waited on.
  const OpenFile opened{files::OpenToRead(file)};
  const int fd = opened.fd;
  if (fd < 0) fail("无法读取文件以计算其 SHA-256", errno);
  files::FileFacts info;
  if (!files::FactsOf(fd, info)) fail("无法读取文件以计算其 SHA-256", errno);
  if (!S_ISREG(info.type)) {
    throw JournalError(JournalError::Kind::kIo, file, "不是普通文件，无法计算其 SHA-256");
  }
  if (!files::BlockingReads(fd)) fail("无法读取文件以计算其 SHA-256", errno);
  files::Sha256 hash;
  std::array<char, 1 << 16> block;
  for (;;) {
    const std::ptrdiff_t got = files::ReadSome(fd, block.data(), block.size());
    if (got == 0) break;
    if (got < 0) fail("读取文件以计算其 SHA-256 时出错", errno);
    hash.Add({block.data(), static_cast<std::size_t>(got)});
  }
  return hash.HexDigest();
}

}  // namespace quillbary::journal
