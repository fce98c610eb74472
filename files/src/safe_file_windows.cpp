// The Windows side of SafeFile. The temporary is made with CREATE_NEW (never
// through a name already there) and held, while the write lasts, by a handle
// with no access to its bytes and without FILE_SHARE_DELETE: another write
// cannot take it for a leftover, and a library that writes by name
// (libxlsxwriter) can still open it. Write() opens it for writing;
// MoveFileExW puts it in place (MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH), and a hard link to the previous file, made beside
// the temporary first, keeps the previous content until the write stands.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <random>
#include <string>

#include "quillbary/path_text.h"
#include "quillbary/safe_file.h"
#include "safe_file_system.h"
#include "temporary_registry.h"

namespace quillbary::files {
namespace detail {

std::string SystemReason(int error) {
  wchar_t* words = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
  std::wstring text(words ? words : L"", length);
  ::LocalFree(words);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.')) {
    text.pop_back();
  }
  if (text.empty()) return "Windows 错误 " + std::to_string(error);
  return Utf8Of(std::filesystem::path(text));
}

FileError::Kind KindOfError(int error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? FileError::Kind::kDiskFull
                                                                      : FileError::Kind::kIo;
}

}  // namespace detail

namespace {

using detail::KindOfError;
using detail::PartPrefix;
using detail::SystemReason;
namespace fs = std::filesystem;

int LastError() {
  return static_cast<int>(::GetLastError());
}

// The previous content of a replaced file, kept beside the temporary.
fs::path PreviousIn(const fs::path& folder) {
  return folder / L"previous";
}

// Removes what writes to the same target left when they were killed
// outright: a temporary folder whose file no living writer holds open.
void RemoveLeftovers(const fs::path& folder, const std::string& prefix) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (!Utf8Of(entry.path().filename()).starts_with(prefix)) continue;
    if (!entry.is_directory(error) || entry.is_symlink(error)) continue;
    const fs::path part = entry.path() / L"part";
    if (!::DeleteFileW(part.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
      continue;  // another program is writing it now
    }
    ::DeleteFileW(PreviousIn(entry.path()).c_str());
    ::RemoveDirectoryW(entry.path().c_str());
  }
}

fs::path FolderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(L".");
}

// A descriptor that writes the temporary; -1 with the Windows error.
int OpenForWriting(const fs::path& temporary, int& failure) {
  const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    failure = LastError();
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(file);
    failure = ERROR_TOO_MANY_OPEN_FILES;
  }
  return fd;
}

}  // namespace

SafeFile::SafeFile(const fs::path& target, const WriteOptions& options)
    : target_(target), final_(target) {
  if (target.empty() || !target.has_filename()) {
    throw FileError(FileError::Kind::kRefused, target_, "不是文件名");
  }
  std::error_code error;
  const fs::file_status link = fs::symlink_status(target, error);
  if (fs::exists(link)) {
    if (options.refuseExisting) {
      throw FileError(FileError::Kind::kExists, target_, "已存在，不会覆盖它");
    }
    const fs::file_status named = fs::status(target, error);
    if (!fs::exists(named)) {
      throw FileError(FileError::Kind::kRefused, target_,
                      "是指向不存在或无法访问的文件的符号链接（" + error.message() + "）");
    }
    if (!fs::is_regular_file(named)) {
      throw FileError(FileError::Kind::kRefused, target_,
                      std::string(fs::is_directory(named) ? "是文件夹" : "不是普通文件") +
                          "，不能作为输出文件");
    }
    if (fs::is_symlink(link)) {
      final_ = fs::canonical(target, error);
      if (error) {
        throw FileError(FileError::Kind::kIo, target_,
                        "无法找到链接所指的文件（" + error.message() + "）");
      }
    }
    for (const WriteOptions::Kept& kept : options.kept) {
      if (fs::equivalent(kept.path, target, error)) RefuseKept(kept);
    }
    existed_ = true;
  } else if (link.type() == fs::file_type::none) {
    throw FileError(FileError::Kind::kIo, target_, "无法查看（" + error.message() + "）");
  } else {
    const fs::path full = fs::weakly_canonical(final_, error);
    for (const WriteOptions::Kept& kept : options.kept) {
      if (fs::weakly_canonical(kept.path, error) == full) RefuseKept(kept);
    }
  }

  const fs::path parent = FolderOf(final_);
  const std::string prefix = PartPrefix(Utf8Of(final_.filename()));
  RemoveLeftovers(parent, prefix);
  std::random_device random;
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; folder_.empty(); ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    const fs::path folder = parent / PathOfUtf8(name);
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
      folder_ = folder;
    } else if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100) {
      const int failure = LastError();
      Fail(KindOfError(failure), "无法在其文件夹中写入", failure);
    }
  }
  temporary_ = folder_ / L"part";
  hold_ = ::CreateFileW(temporary_.c_str(), FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hold_ == INVALID_HANDLE_VALUE) {
    hold_ = nullptr;
    const int failure = LastError();
    ::RemoveDirectoryW(folder_.c_str());
    folder_.clear();
    Fail(KindOfError(failure), "无法建立临时文件", failure);
  }
  registration_ = detail::Remember(temporary_, folder_);
}

SafeFile::~SafeFile() {
  if (!kept_ && placed_) {
    // Undone: the previous content goes back, or the new file goes.
    if (existed_) {
      ::MoveFileExW(PreviousIn(folder_).c_str(), final_.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
      ::DeleteFileW(final_.c_str());
    }
  }
  if (fd_ >= 0) ::_close(fd_);
  if (hold_ != nullptr) ::CloseHandle(hold_);
  if (!folder_.empty()) {
    ::DeleteFileW(temporary_.c_str());
    ::DeleteFileW(PreviousIn(folder_).c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }
  detail::Forget(registration_);
}

void SafeFile::Write(std::string_view bytes) {
  if (fd_ < 0) {
    int failure = 0;
    fd_ = OpenForWriting(temporary_, failure);
    if (fd_ < 0) Fail(KindOfError(failure), "无法写入", failure);
  }
  while (!bytes.empty()) {
    const unsigned chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<unsigned>(bytes.size());
    const int written = ::_write(fd_, bytes.data(), chunk);
    if (written <= 0) {
      // The runtime reports a full disk as ENOSPC, with no Windows error.
      const int failure = errno == ENOSPC ? ERROR_DISK_FULL : static_cast<int>(_doserrno);
      Fail(KindOfError(failure), "无法写入", failure);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void SafeFile::Finish() {
  if (finished_) return;
  // What a library wrote by name is made whole on disk through a handle of
  // our own: FlushFileBuffers needs one that may write.
  if (fd_ < 0) {
    int failure = 0;
    fd_ = OpenForWriting(temporary_, failure);
    if (fd_ < 0) Fail(KindOfError(failure), "无法写入", failure);
  }
  if (::_commit(fd_) != 0) {
    const int failure = errno == ENOSPC ? ERROR_DISK_FULL : static_cast<int>(_doserrno);
    Fail(KindOfError(failure), "无法写入", failure);
  }
  // Closed now: Windows moves no file that is open without FILE_SHARE_DELETE.
  const int fd = fd_;
  fd_ = -1;
  if (::_close(fd) != 0) Fail(FileError::Kind::kIo, "无法写入", static_cast<int>(_doserrno));
  ::CloseHandle(hold_);
  hold_ = nullptr;
  finished_ = true;
}

void SafeFile::PutInPlace() {
  Finish();
  const fs::path previous = PreviousIn(folder_);
  // Without a hard link (a FAT disk) the previous content cannot come back:
  // a new file can still be taken away again.
  const bool kept = existed_ && ::CreateHardLinkW(previous.c_str(), final_.c_str(), nullptr);
  if (!::MoveFileExW(temporary_.c_str(), final_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const int failure = LastError();
    if (kept) ::DeleteFileW(previous.c_str());
    Fail(KindOfError(failure), "无法放到位", failure);
  }
  placed_ = existed_ ? kept : true;
}

void SafeFile::Keep() {
  kept_ = true;
  ::DeleteFileW(PreviousIn(folder_).c_str());
}

}  // namespace quillbary::files
