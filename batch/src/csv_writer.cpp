// The CSV writer: rows encoded as CSV text and written through one
// files::CsvFile (csv_text.h).
#include "quillbary/batch_file.h"
#include "quillbary/csv_text.h"

namespace quillbary::batch {
namespace {

class CsvWriter final : public RowWriter {
 public:
  CsvWriter(const std::filesystem::path& file, const files::WriteOptions& options)
      : file_(file, options) {}

  void WriteHeader(std::span<const std::string> names) override {
    std::vector<std::string> header(names.begin(), names.end());
    header.insert(header.end(), kResultColumns.begin(), kResultColumns.end());
    file_.AddLine(header);
  }

  // A CSV cell is its text: the carried cells' kinds change nothing.
  void WriteRow(std::span<const std::string> carried, std::span<const CellKind> /*kinds*/,
                const ResultCells& results) override {
    std::string line;
    EncodeRow(carried, results, line);
    file_.AddBytes(line);
  }

  void WriteTexts(std::span<const std::string> cells) override { file_.AddLine(cells); }

  bool EncodesRows() const override { return true; }

  void EncodeRow(std::span<const std::string> carried, const ResultCells& results,
                 std::string& out) const override {
    for (std::size_t i = 0; i < carried.size(); ++i) files::AppendCsvField(carried[i], i == 0, out);
    for (const std::string& cell : results) files::AppendCsvField(cell, false, out);
    out.append("\r\n");
  }

  void WriteEncoded(std::string_view bytes) override { file_.AddBytes(bytes); }

  void Commit(const BeforeReplace& beforeReplace) override {
    files::SafeFile& file = file_.Flushed();
    file.CommitRecorded([&](const std::function<void()>& putInPlace) {
      if (beforeReplace) beforeReplace(file.TemporaryPath(), putInPlace);
      return true;
    });
  }

 private:
  files::CsvFile file_;
};

}  // namespace

std::unique_ptr<RowWriter> CreateCsvWriter(const std::filesystem::path& file,
                                           const files::WriteOptions& options) {
  return std::make_unique<CsvWriter>(file, options);
}

}  // namespace quillbary::batch
