// A file written beside its target under a temporary name and put in the
// target's place only when it is whole.
#pragma once

#include <cstdio>
#include <filesystem>

#include "quillbary/batch_file.h"

namespace quillbary::batch_detail {

// A free name beside `target` for the file being written ("out.csv.tmp-1a2b3c").
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target);

// Renames `temporary` over `target`; throws BatchFileError naming the target.
void ReplaceTarget(const std::filesystem::path& temporary, const std::filesystem::path& target);

class AtomicFile {
 public:
  // Creates the temporary file; throws BatchFileError when it cannot.
  explicit AtomicFile(std::filesystem::path target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Appends bytes; throws BatchFileError when the disk refuses them.
  void Write(const char* data, std::size_t size);
  // Flushes and closes the file, shows it whole to beforeReplace, then
  // renames it over the target.
  void Commit(const BeforeReplace& beforeReplace);

 private:
  void Fail(const char* what);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace quillbary::batch_detail
