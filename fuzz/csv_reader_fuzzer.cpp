// The CSV reader on fuzzed files: it reads rows or refuses the file with a
// BatchFileError, never anything else; and the rows it reads, written by the
// CSV writer and read again, come back the same, each cell as the writer's
// formula guard wrote it.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_properties.h"
#include "quillbary/batch_file.h"
#include "quillbary/csv_text.h"

using namespace quillbary;
using namespace quillbary::batch;
using namespace quillbary::fuzz;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The reader's rows, or nothing when it refuses the file.
std::optional<Rows> ReadAll(const std::filesystem::path& file) {
  try {
    Rows rows;
    std::unique_ptr<RowReader> reader = OpenCsvReader(file);
    std::vector<std::string> cells;
    while (reader->Next(cells)) rows.push_back(cells);
    return rows;
  } catch (const BatchFileError&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() /
                ("quillbary-csv-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  const auto input = folder / "in.csv";
  std::ofstream(input, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const std::optional<Rows> rows = ReadAll(input);
  if (!rows) return 0;
  for (const auto& row : *rows) {
    Require(!row.empty(), "every row has a cell");
    for (const auto& cell : row) {
      Require(cell.find('\0') == std::string::npos, "no NUL in a cell");
    }
  }
  const auto output = folder / "out.csv";
  {
    std::unique_ptr<RowWriter> writer = CreateCsvWriter(output);
    for (const auto& row : *rows) writer->WriteTexts(row);
    writer->Commit();
  }
  const std::optional<Rows> again = ReadAll(output);
  Require(again.has_value(), "the writer's file reads");
  Rows guarded = *rows;
  for (auto& row : guarded) {
    for (auto& cell : row) cell = files::GuardedCell(cell);
  }
  Require(*again == guarded, "rows written and read again are the same, guarded");
  return 0;
}
