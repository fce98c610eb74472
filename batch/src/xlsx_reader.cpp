#include "quillbary/batch_file.h"
namespace quillbary {
std::unique_ptr<RowReader> OpenXlsxReader(const std::filesystem::path& file) {
  throw BatchFileError(file.string() + "：XLSX 尚不支持");
}
}  // namespace quillbary
