#include "quillbary/safe_file.h"

#include <algorithm>

#include "quillbary/path_text.h"
#include "safe_file_system.h"

namespace quillbary::files {
namespace detail {

constexpr std::string_view kPartMark = ".quillbary-part-";
// The private folder's name keeps at most this much of the target's name, so
// that it stays within NAME_MAX (255 bytes) whatever the target is called.
constexpr std::size_t kNameKept = 120;

// ".月末.csv.quillbary-part-": the start of every temporary folder of a write
// to `name`, cut at a whole UTF-8 character.
std::string PartPrefix(const std::string& name) {
  std::size_t keep = std::min(name.size(), kNameKept);
  while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
    --keep;
  }
  return "." + name.substr(0, keep) + std::string(kPartMark);
}

}  // namespace detail

FileError::FileError(Kind kind, std::filesystem::path path, std::string reason)
    : std::runtime_error(Utf8Of(path) + "：" + reason),
      kind(kind),
      path(std::move(path)),
      reason(std::move(reason)) {}

void SafeFile::RefuseKept(const WriteOptions::Kept& kept) const {
  throw FileError(FileError::Kind::kRefused, target_, "就是" + kept.what + "，不能用作输出文件");
}

void SafeFile::Fail(FileError::Kind kind, const char* what, int error) const {
  throw FileError(kind, target_, std::string(what) + "（" + detail::SystemReason(error) + "）");
}

void SafeFile::Commit() {
  PutInPlace();
  Keep();
}

bool SafeFile::CommitRecorded(const Recorder& record) {
  Finish();
  bool placed = false;
  if (!record([this, &placed] {
        PutInPlace();
        placed = true;
      })) {
    return false;
  }
  if (!placed) PutInPlace();
  Keep();
  return true;
}

}  // namespace quillbary::files
