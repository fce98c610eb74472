// A batch run's entry: its fields as item rows, and the digests of its files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "entry_columns.h"
#include "quillbary/journal.h"
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
constexpr std::array<CountField, 4> kCounts = {{
    {"读取行数", &BatchRunRecord::rowsRead},
    {"有合计行数", &BatchRunRecord::rowsWithTotal},
    {"有提示行数", &BatchRunRecord::rowsWithWarnings},
    {"有错误行数", &BatchRunRecord::rowsWithErrors},
}};

// A file descriptor, closed with the object.
struct OpenFile {
  int fd;
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::vector<StatementRow> BatchRunRows(const BatchRunRecord& run) {
  std::vector<StatementRow> rows;
  for (const TextField& file : kFiles) rows.push_back({std::string(file.item), run.*file.field});
  for (const CountField& count : kCounts) {
    rows.push_back({std::string(count.item), std::to_string(run.*count.field)});
  }
  rows.push_back({std::string(kBatchTotalItem), run.totalSum});
  return rows;
}

BatchRunRecord BatchRunFromRows(const std::vector<StatementRow>& rows) {
  BatchRunRecord run;
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
  const auto fail = [&file](const char* doing, int error) {
    throw JournalError(JournalError::Kind::kIo, file,
                       std::string(doing) + "（" + std::strerror(error) + "）");
  };
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const OpenFile opened{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  const int fd = opened.fd;
  if (fd < 0) fail("无法读取文件以计算其 SHA-256", errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) fail("无法读取文件以计算其 SHA-256", errno);
  if (!S_ISREG(info.st_mode)) {
    throw JournalError(JournalError::Kind::kIo, file, "不是普通文件，无法计算其 SHA-256");
  }
  files::Sha256 hash;
  std::array<char, 1 << 16> block;
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      fail("读取文件以计算其 SHA-256 时出错", errno);
    }
    hash.Add({block.data(), static_cast<std::size_t>(got)});
  }
  return hash.HexDigest();
}

}  // namespace quillbary::journal
