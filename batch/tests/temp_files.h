// A folder of its own for each test, removed with it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillbary::batch {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path Path(std::string_view name) const;
  // Writes `bytes` to a file of that name and returns its path.
  std::filesystem::path Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path folder_;
};

std::string ReadBytes(const std::filesystem::path& file);

}  // namespace quillbary::batch
