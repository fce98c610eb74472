#include "open_reader.h"

#include <cerrno>

#include "quillbary/batch_run.h"
#include "quillbary/path_text.h"

namespace quillbary::batch::detail {
namespace {

[[noreturn]] void Refuse(const std::string& name, BatchProblem problem, int error = 0,
                         std::uint64_t mode = 0) {
  throw BatchFileError({.problem = problem, .file = name, .number = mode, .systemError = error});
}

// Throws when `mode` is not a regular file's.
void RefuseUnlessRegular(const std::string& name, unsigned mode) {
  if (!S_ISREG(mode)) Refuse(name, BatchProblem::kNotARegularFile, 0, mode);
}

}  // namespace

InputFile InputFile::Open(const std::filesystem::path& file) {
  const std::string name = files::Utf8Of(file);
  // The name first, so that a device is refused without being opened at all.
  files::FileFacts named;
  if (!files::FactsOf(file, named)) Refuse(name, BatchProblem::kCannotOpen, errno);
  RefuseUnlessRegular(name, named.type);

  // Non-blocking, so that whatever took the name's place since cannot hang
  // the open; the descriptor is then checked again.
  const int fd = files::OpenToRead(file);
  if (fd < 0) Refuse(name, BatchProblem::kCannotOpen, errno);
  InputFile opened(fd, name, {});
  if (!files::FactsOf(fd, opened.opened_)) Refuse(name, BatchProblem::kCannotOpen, errno);
  RefuseUnlessRegular(name, opened.opened_.type);
  if (!files::BlockingReads(fd)) Refuse(name, BatchProblem::kCannotOpen, errno);
  return opened;
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(other.fd_), name_(std::move(other.name_)), opened_(other.opened_) {
  other.fd_ = -1;
}

InputFile::~InputFile() {
  if (fd_ >= 0) files::CloseFile(fd_);
}

std::string InputFile::Head(std::size_t count) const {
  std::string head(count, '\0');
  std::size_t got = 0;
  while (got < count) {
    const std::ptrdiff_t n = files::ReadAt(fd_, head.data() + got, count - got, got);
    if (n < 0) Refuse(name_, BatchProblem::kReadFailed, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  head.resize(got);
  return head;
}

std::size_t InputFile::Read(char* into, std::size_t size) const {
  const std::ptrdiff_t n = files::ReadSome(fd_, into, size);
  if (n < 0) Refuse(name_, BatchProblem::kReadFailed, errno);
  return static_cast<std::size_t>(n);
}

void InputFile::CheckUnchanged() const {
  files::FileFacts now;
  if (!files::FactsOf(fd_, now) || now.size != opened_.size ||
      now.modifiedNs != opened_.modifiedNs) {
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
