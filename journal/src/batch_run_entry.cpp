// A batch run's entry: its fields as item rows, and the digests of its files.
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

#include "entry_columns.h"
#include "quillbary/journal.h"
#include "sha256.h"

namespace quillbary::journal {
namespace {

// Each field of a batch run with the item it is kept under.
struct TextField {
  std::string_view item;
  std::string BatchRun::*field;
};
struct CountField {
  std::string_view item;
  std::int64_t BatchRun::*field;
};
constexpr std::array<TextField, 4> kFiles = {{
    {"输入文件", &BatchRun::inputPath},
    {"输入文件 SHA-256", &BatchRun::inputSha256},
    {"输出文件", &BatchRun::outputPath},
    {"输出文件 SHA-256", &BatchRun::outputSha256},
}};
constexpr std::array<CountField, 4> kCounts = {{
    {"读取行数", &BatchRun::rowsRead},
    {"有合计行数", &BatchRun::rowsWithTotal},
    {"有提示行数", &BatchRun::rowsWithWarnings},
    {"有错误行数", &BatchRun::rowsWithErrors},
}};

}  // namespace

std::vector<StatementRow> BatchRunRows(const BatchRun& run) {
  std::vector<StatementRow> rows;
  for (const TextField& file : kFiles) rows.push_back({std::string(file.item), run.*file.field});
  for (const CountField& count : kCounts) {
    rows.push_back({std::string(count.item), std::to_string(run.*count.field)});
  }
  rows.push_back({std::string(kBatchTotalItem), run.totalSum});
  return rows;
}

BatchRun BatchRunFromRows(const std::vector<StatementRow>& rows) {
  BatchRun run;
  for (const StatementRow& row : rows) {
    for (const TextField& file : kFiles) {
      if (row.item == file.item) run.*file.field = row.value;
    }
    for (const CountField& count : kCounts) {
      if (row.item == count.item) {
        std::from_chars(row.value.data(), row.value.data() + row.value.size(), run.*count.field);
      }
    }
    if (row.item == kBatchTotalItem) run.totalSum = row.value;
  }
  return run;
}

std::string FileSha256(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw JournalError(JournalError::Kind::kIo, file,
                       std::string("无法读取文件以计算其 SHA-256（") + std::strerror(errno) + "）");
  }
  Sha256 hash;
  std::array<char, 1 << 16> block;
  while (in.read(block.data(), block.size()) || in.gcount() > 0) {
    hash.Add({block.data(), static_cast<std::size_t>(in.gcount())});
  }
  if (in.bad()) {
    throw JournalError(JournalError::Kind::kIo, file, "读取文件以计算其 SHA-256 时出错");
  }
  return hash.HexDigest();
}

}  // namespace quillbary::journal
