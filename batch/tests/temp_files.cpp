#include "temp_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace quillbary::batch {

TempFolder::TempFolder() {
  std::random_device seed;
  folder_ = std::filesystem::path(::testing::TempDir()) /
            ("quillbary-batch-" + std::to_string(seed()) + std::to_string(seed()));
  std::filesystem::create_directories(folder_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::filesystem::path TempFolder::Path(std::string_view name) const {
  return folder_ / std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::filesystem::path TempFolder::Write(std::string_view name, std::string_view bytes) const {
  const std::filesystem::path file = Path(name);
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace quillbary::batch
