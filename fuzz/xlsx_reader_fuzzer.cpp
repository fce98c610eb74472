// The XLSX reader on fuzzed files: it reads rows or refuses the file with a
// BatchFileError, never anything else, and no cell is over 1 MB.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_properties.h"
#include "quillbary/batch_file.h"

using namespace quillbary;
using namespace quillbary::batch;
using namespace quillbary::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path file = [] {
    auto folder = std::filesystem::temp_directory_path() /
                  ("quillbary-xlsx-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder / "in.xlsx";
  }();
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    std::unique_ptr<RowReader> reader = OpenXlsxReader(file);
    std::vector<std::string> cells;
    while (reader->Next(cells)) {
      for (const auto& cell : cells) Require(cell.size() <= (1u << 20), "no cell over 1 MB");
      const double read = reader->Fraction();
      Require(read >= 0 && read <= 1, "the part read is between 0 and 1");
    }
  } catch (const BatchFileError&) {
  }
  return 0;
}
