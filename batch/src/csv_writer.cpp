// The CSV writer: rows encoded as CSV text (csv_text.h) and written through
// one SafeFile a megabyte at a time.
#include "quillbary/batch_file.h"
#include "quillbary/csv_text.h"
#include "quillbary/safe_file.h"
#include "safe_commit.h"

namespace quillbary {
namespace {

constexpr std::size_t kFlushSize = 1 << 20;  // written at a time

class CsvWriter final : public RowWriter {
 public:
  CsvWriter(const std::filesystem::path& file, const files::WriteOptions& options)
      : file_(file, options), buffer_(files::kCsvStart) {}

  void WriteHeader(std::span<const std::string> names) override {
    for (std::size_t i = 0; i < names.size(); ++i) files::AppendCsvField(names[i], i == 0, buffer_);
    for (std::string_view name : kResultColumns) files::AppendCsvField(name, false, buffer_);
    EndLine();
  }

  void WriteRow(std::span<const std::string> carried, const ResultCells& results) override {
    EncodeRow(carried, results, buffer_);
    Flush(false);
  }

  void WriteTexts(std::span<const std::string> cells) override {
    files::AppendCsvLine(cells, buffer_);
    Flush(false);
  }

  bool EncodesRows() const override { return true; }

  void EncodeRow(std::span<const std::string> carried, const ResultCells& results,
                 std::string& out) const override {
    for (std::size_t i = 0; i < carried.size(); ++i) files::AppendCsvField(carried[i], i == 0, out);
    for (const std::string& cell : results) files::AppendCsvField(cell, false, out);
    out.append("\r\n");
  }

  void WriteEncoded(std::string_view bytes) override {
    Flush(true);
    file_.Write(bytes);
  }

  void Commit(const BeforeReplace& beforeReplace) override {
    Flush(true);
    batch_detail::CommitThrough(file_, beforeReplace);
  }

 private:
  void EndLine() {
    buffer_.append("\r\n");
    Flush(false);
  }

  void Flush(bool always) {
    if (buffer_.empty() || (!always && buffer_.size() < kFlushSize)) return;
    file_.Write(buffer_);
    buffer_.clear();
  }

  files::SafeFile file_;
  std::string buffer_;
};

}  // namespace

std::unique_ptr<RowWriter> CreateCsvWriter(const std::filesystem::path& file,
                                           const files::WriteOptions& options) {
  return std::make_unique<CsvWriter>(file, options);
}

}  // namespace quillbary
