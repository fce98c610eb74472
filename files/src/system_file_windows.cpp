#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <cerrno>
#include <cstdlib>

#include "quillbary/system_file.h"

namespace quillbary::files {
namespace {

FileFacts FactsFrom(const struct _stat64& info) {
  return {.type = static_cast<unsigned>(info.st_mode & S_IFMT),
          .size = static_cast<std::uint64_t>(info.st_size),
          .modifiedNs = static_cast<std::int64_t>(info.st_mtime) * 1'000'000'000};
}

}  // namespace

bool FactsOf(const std::filesystem::path& path, FileFacts& facts) {
  struct _stat64 info {};
  if (::_wstat64(path.c_str(), &info) != 0) return false;
  facts = FactsFrom(info);
  return true;
}

bool FactsOf(int fd, FileFacts& facts) {
  struct _stat64 info {};
  if (::_fstat64(fd, &info) != 0) return false;
  facts = FactsFrom(info);
  return true;
}

// Shared for reading and writing, as Windows programs open a sheet that the
// clerk may still have open in a spreadsheet; not inherited by children.
int OpenToRead(const std::filesystem::path& path) {
  return ::_wsopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO);
}

bool BlockingReads(int) {
  return true;  // Windows opens files blocking, and a device is refused before
}

std::ptrdiff_t ReadSome(int fd, void* into, std::size_t size) {
  const unsigned most = size > 1u << 30 ? 1u << 30 : static_cast<unsigned>(size);
  return ::_read(fd, into, most);
}

std::ptrdiff_t ReadAt(int fd, void* into, std::size_t size, std::uint64_t offset) {
  const __int64 was = ::_lseeki64(fd, 0, SEEK_CUR);
  if (was < 0 || ::_lseeki64(fd, static_cast<__int64>(offset), SEEK_SET) < 0) return -1;
  const std::ptrdiff_t n = ReadSome(fd, into, size);
  const int error = errno;
  if (::_lseeki64(fd, was, SEEK_SET) < 0) return -1;
  errno = error;
  return n;
}

bool Rewind(int fd) {
  return ::_lseeki64(fd, 0, SEEK_SET) == 0;
}

int Duplicate(int fd) {
  return ::_dup(fd);
}

void CloseFile(int fd) {
  ::_close(fd);
}

bool MakePrivateFolder(const std::filesystem::path& folder) {
  return ::_wmkdir(folder.c_str()) == 0;
}

bool MakePrivateFile(const std::filesystem::path& file) {
  const int fd = ::_wsopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                           _SH_DENYNO, _S_IREAD | _S_IWRITE);
  if (fd < 0) return false;
  ::_close(fd);
  return true;
}

std::filesystem::path UserDataFolder() {
  const wchar_t* data = ::_wgetenv(L"APPDATA");
  if (data && std::filesystem::path(data).is_absolute()) return data;
  const wchar_t* profile = ::_wgetenv(L"USERPROFILE");
  return std::filesystem::path(profile ? profile : L".") / L"AppData" / L"Roaming";
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  ::localtime_s(&local, &when);
  return local;
}

}  // namespace quillbary::files
