#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "quillbary/batch_file.h"

namespace quillbary::batch_detail {
namespace {

std::string Reason(int error) {
  return std::generic_category().message(error);
}

}  // namespace

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%08llx",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFu));
    std::filesystem::path candidate = target;
    candidate += suffix;
    std::error_code ignored;
    if (!std::filesystem::exists(candidate, ignored)) return candidate;
  }
  throw BatchFileError(target.string() + "：找不到可用的临时文件名");
}

void ReplaceTarget(const std::filesystem::path& temporary, const std::filesystem::path& target) {
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw BatchFileError(target.string() + "：无法写入（" + error.message() + "）");
  }
}

AtomicFile::AtomicFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(TemporaryNameBeside(target_)) {
  // "x": never open a file that appeared under the same name meanwhile.
  file_ = std::fopen(temporary_.string().c_str(), "wbx");
  if (file_ == nullptr) {
    throw BatchFileError(target_.string() + "：无法写入（" + Reason(errno) + "）");
  }
}

AtomicFile::~AtomicFile() {
  if (committed_) return;
  if (file_ != nullptr) std::fclose(file_);
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

void AtomicFile::Fail(const char* what) {
  const int error = errno;
  throw BatchFileError(target_.string() + "：" + what + "（" + Reason(error) + "）");
}

void AtomicFile::Write(const char* data, std::size_t size) {
  if (std::fwrite(data, 1, size, file_) != size) Fail("写入失败");
}

void AtomicFile::Commit(const BeforeReplace& beforeReplace) {
  const bool flushed = std::fflush(file_) == 0;
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (!flushed || closed != 0) Fail("写入失败");
  if (beforeReplace) beforeReplace(temporary_);
  ReplaceTarget(temporary_, target_);
  committed_ = true;
}

}  // namespace quillbary::batch_detail
