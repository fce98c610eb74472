// The POSIX side of SafeFile: mkdtemp, open(O_EXCL | O_NOFOLLOW), flock,
// fsync, and renameat2 that exchanges the new file with the previous one.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "quillbary/file_type.h"
#include "quillbary/safe_file.h"
#include "safe_file_system.h"
#include "temporary_registry.h"

namespace quillbary::files {
namespace detail {

std::string SystemReason(int error) {
  return std::strerror(error);
}

FileError::Kind KindOfError(int error) {
  return error == ENOSPC || error == EDQUOT || error == EFBIG ? FileError::Kind::kDiskFull
                                                              : FileError::Kind::kIo;
}

}  // namespace detail

namespace {

using detail::KindOfError;
using detail::PartPrefix;
using detail::SystemReason;

// Removes what writes to the same target left when they were killed
// outright: a temporary folder whose file no living writer holds locked.
void RemoveLeftovers(const std::filesystem::path& folder, const std::string& prefix) {
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(prefix)) continue;
    const std::filesystem::path part = folder / std::string(name);
    struct stat info {};
    if (::lstat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
      continue;
    }
    const std::filesystem::path file = part / "part";
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      const bool abandoned = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
      ::close(fd);
      if (!abandoned) continue;  // another program is writing it now
      ::unlink(file.c_str());
    }
    ::rmdir(part.c_str());
  }
  ::closedir(listing);
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// rename(2) that exchanges with an existing target, or never replaces one
// that appeared meanwhile; 0 or the errno.
int Rename(const std::filesystem::path& from, const std::filesystem::path& to, bool exchange) {
  const unsigned flags = exchange ? RENAME_EXCHANGE : RENAME_NOREPLACE;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0) return 0;
  return errno;
}

// Which file a path is, whatever name it goes by (following links), or
// nothing when it cannot be found.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino};
}

}  // namespace

SafeFile::SafeFile(const std::filesystem::path& target, const WriteOptions& options)
    : target_(target), final_(target) {
  if (target.empty() || !target.has_filename()) {
    throw FileError(FileError::Kind::kRefused, target_, "不是文件名");
  }
  struct stat link {};
  if (::lstat(target.c_str(), &link) == 0) {
    if (options.refuseExisting) {
      throw FileError(FileError::Kind::kExists, target_, "已存在，不会覆盖它");
    }
    // What the name leads to: a link is followed here (/dev/stdout to a pipe).
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
      const int error = errno;
      if (!S_ISLNK(link.st_mode)) Fail(FileError::Kind::kIo, "无法查看", error);
      throw FileError(FileError::Kind::kRefused, target_,
                      "是指向不存在或无法访问的文件的符号链接（" + SystemReason(error) + "）");
    }
    if (const char* what = NotARegularFile(info.st_mode)) {
      throw FileError(FileError::Kind::kRefused, target_, std::string(what) + "，不能作为输出文件");
    }
    if (S_ISLNK(link.st_mode)) {
      // Written through: the file the link points at is replaced, the link stays.
      std::error_code error;
      final_ = std::filesystem::canonical(target, error);
      if (error) Fail(FileError::Kind::kIo, "无法找到链接所指的文件", error.value());
    }
    const FileIdentity identity{info.st_dev, info.st_ino};
    for (const WriteOptions::Kept& kept : options.kept) {
      if (IdentityOf(kept.path) == identity) RefuseKept(kept);
    }
    existed_ = true;
    mode_ = info.st_mode & 07777;
  } else if (errno != ENOENT) {
    Fail(FileError::Kind::kIo, "无法查看", errno);
  } else {
    std::error_code ignored;
    const std::filesystem::path full = std::filesystem::weakly_canonical(final_, ignored);
    for (const WriteOptions::Kept& kept : options.kept) {
      if (std::filesystem::weakly_canonical(kept.path, ignored) == full) RefuseKept(kept);
    }
  }

  const std::filesystem::path parent =
      final_.has_parent_path() ? final_.parent_path() : std::filesystem::path(".");
  const std::string prefix = PartPrefix(final_.filename().string());
  RemoveLeftovers(parent, prefix);
  std::string pattern = (parent / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) Fail(KindOfError(errno), "无法在其文件夹中写入", errno);
  folder_ = pattern;
  temporary_ = folder_ / "part";
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    const int error = errno;
    ::rmdir(folder_.c_str());
    Fail(KindOfError(error), "无法建立临时文件", error);
  }
  // Held until the write ends: a later write to the same target sees that
  // this folder is no leftover.
  ::flock(fd_, LOCK_EX | LOCK_NB);
  registration_ = detail::Remember(temporary_, folder_);
}

SafeFile::~SafeFile() {
  if (!kept_ && placed_) {
    // Undone: the previous content goes back, or the new file goes.
    if (existed_) {
      Rename(temporary_, final_, true);
    } else {
      ::unlink(final_.c_str());
    }
    SyncFolder(final_.has_parent_path() ? final_.parent_path() : ".");
  }
  if (fd_ >= 0) ::close(fd_);
  if (!folder_.empty()) {
    ::unlink(temporary_.c_str());
    ::rmdir(folder_.c_str());
  }
  detail::Forget(registration_);
}

void SafeFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail(KindOfError(errno), "无法写入", errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void SafeFile::Finish() {
  if (finished_) return;
  // The target's permission bits are kept; a new file is the owner's alone.
  if (::fchmod(fd_, mode_) != 0) Fail(KindOfError(errno), "无法设定权限", errno);
  if (::fsync(fd_) != 0) Fail(KindOfError(errno), "无法写入", errno);
  finished_ = true;
}

void SafeFile::PutInPlace() {
  Finish();
  int error = Rename(temporary_, final_, existed_);
  if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
    // A file system without these renames: a plain one. A new file can still
    // be taken away again; a replaced one's previous content is gone.
    error = ::rename(temporary_.c_str(), final_.c_str()) == 0 ? 0 : errno;
    placed_ = error == 0 && !existed_;
  } else {
    placed_ = error == 0;
  }
  if (error != 0) Fail(KindOfError(error), "无法放到位", error);
  SyncFolder(final_.has_parent_path() ? final_.parent_path() : ".");
}

void SafeFile::Keep() {
  kept_ = true;
  ::unlink(temporary_.c_str());  // after an exchange, the previous content
}

}  // namespace quillbary::files
