#include "open_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "quillbary/batch_run.h"

namespace quillbary::batch::detail {
namespace {

[[noreturn]] void Refuse(const std::string& name, BatchProblem problem, int error = 0,
                         std::uint64_t mode = 0) {
  throw BatchFileError({.problem = problem, .file = name, .number = mode, .systemError = error});
}

// Throws when `mode` is not a regular file's.
void RefuseUnlessRegular(const std::string& name, mode_t mode) {
  if (!S_ISREG(mode)) Refuse(name, BatchProblem::kNotARegularFile, 0, mode);
}

}  // namespace

InputFile InputFile::Open(const std::filesystem::path& file) {
  const std::string name = file.string();
  // The name first, so that a device is refused without being opened at all.
  struct stat named {};
  if (::stat(name.c_str(), &named) != 0) Refuse(name, BatchProblem::kCannotOpen, errno);
  RefuseUnlessRegular(name, named.st_mode);

  // Non-blocking, so that whatever took the name's place since cannot hang
  // the open; the descriptor is then checked again.
  int fd = -1;
  do {
    fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) Refuse(name, BatchProblem::kCannotOpen, errno);
  InputFile opened(fd, name, {});
  if (::fstat(fd, &opened.opened_) != 0) Refuse(name, BatchProblem::kCannotOpen, errno);
  RefuseUnlessRegular(name, opened.opened_.st_mode);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
    Refuse(name, BatchProblem::kCannotOpen, errno);
  return opened;
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(other.fd_), name_(std::move(other.name_)), opened_(other.opened_) {
  other.fd_ = -1;
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::string InputFile::Head(std::size_t count) const {
  std::string head(count, '\0');
  std::size_t got = 0;
  while (got < count) {
    const ssize_t n = ::pread(fd_, head.data() + got, count - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Refuse(name_, BatchProblem::kReadFailed, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  head.resize(got);
  return head;
}

std::size_t InputFile::Read(char* into, std::size_t size) const {
  while (true) {
    const ssize_t n = ::read(fd_, into, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) Refuse(name_, BatchProblem::kReadFailed, errno);
  }
}

void InputFile::CheckUnchanged() const {
  struct stat now {};
  if (::fstat(fd_, &now) != 0 || now.st_size != opened_.st_size ||
      now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
      now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec) {
    RefuseChanged();
  }
}

void InputFile::RefuseChanged() const {
  Refuse(name_, BatchProblem::kChangedWhileRead);
}

bool IsCompoundDocument(std::string_view head) {
  return head.starts_with("\xD0\xCF\x11\xE0");
}

void RefuseCompoundDocument(const std::string& name) {
  Refuse(name, BatchProblem::kEncryptedOrOldXls);
}

std::unique_ptr<RowReader> OpenInputReader(const std::filesystem::path& path) {
  InputFile file = InputFile::Open(path);
  const std::string head = file.Head(4);
  if (head == "PK\x03\x04") return ReadXlsx(std::move(file));
  if (IsCompoundDocument(head)) RefuseCompoundDocument(file.name());
  // An empty file, whatever its name, has no rows: the run says it has no
  // header.
  if (IsXlsxName(path) && file.size() > 0) {
    Refuse(file.name(), BatchProblem::kXlsxNameNotZip);
  }
  return ReadCsv(std::move(file));
}

}  // namespace quillbary::batch::detail
