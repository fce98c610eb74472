#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "quillbary/system_file.h"

namespace quillbary::files {
namespace {

FileFacts FactsFrom(const struct stat& info) {
  return {.type = static_cast<unsigned>(info.st_mode & S_IFMT),
          .size = static_cast<std::uint64_t>(info.st_size),
          .modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                        info.st_mtim.tv_nsec};
}

}  // namespace

bool FactsOf(const std::filesystem::path& path, FileFacts& facts) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  facts = FactsFrom(info);
  return true;
}

bool FactsOf(int fd, FileFacts& facts) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return false;
  facts = FactsFrom(info);
  return true;
}

int OpenToRead(const std::filesystem::path& path) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool BlockingReads(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

std::ptrdiff_t ReadSome(int fd, void* into, std::size_t size) {
  while (true) {
    const ssize_t n = ::read(fd, into, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

std::ptrdiff_t ReadAt(int fd, void* into, std::size_t size, std::uint64_t offset) {
  while (true) {
    const ssize_t n = ::pread(fd, into, size, static_cast<off_t>(offset));
    if (n >= 0 || errno != EINTR) return n;
  }
}

bool Rewind(int fd) {
  return ::lseek(fd, 0, SEEK_SET) == 0;
}

int Duplicate(int fd) {
  return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

void CloseFile(int fd) {
  ::close(fd);
}

bool MakePrivateFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0) return false;
  return ::chmod(folder.c_str(), 0700) == 0;  // whatever the umask
}

bool MakePrivateFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::filesystem::path UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && std::filesystem::path(data).is_absolute()) return data;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / ".local" / "share";
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  return local;
}

}  // namespace quillbary::files
