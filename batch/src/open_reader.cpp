#include "open_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include "quillbary/batch_run.h"
#include "quillbary/file_type.h"

namespace quillbary::batch::detail {
namespace {

std::string Reason(int error) {
  switch (error) {
    case ENOENT:
      return "文件不存在";
    case EACCES:
    case EPERM:
      return "没有读取权限";
    case ELOOP:
      return "符号链接绕成了环，找不到文件";
    case ENOTDIR:
      return "路径中有一段不是文件夹";
    case ENAMETOOLONG:
      return "路径太长";
    default:
      return std::string("无法读取（") + std::strerror(error) + "）";
  }
}

// What a path that is not a regular file is, as the refusal says it
// ("是命名管道（FIFO），不是普通文件"); nothing for a regular file.
std::optional<std::string> NotAFile(mode_t mode) {
  const char* what = files::NotARegularFile(mode);
  if (what == nullptr) return std::nullopt;
  if (S_ISDIR(mode)) return std::string(what) + "，不是文件";
  const bool named = std::string_view(what).starts_with("是");
  return named ? std::string(what) + "，不是普通文件" : std::string(what);
}

[[noreturn]] void Refuse(const std::string& name, const std::string& why) {
  throw BatchFileError(name + "：" + why);
}

}  // namespace

InputFile InputFile::Open(const std::filesystem::path& file) {
  const std::string name = file.string();
  // The name first, so that a device is refused without being opened at all.
  struct stat named {};
  if (::stat(name.c_str(), &named) != 0) Refuse(name, Reason(errno));
  if (const auto what = NotAFile(named.st_mode)) Refuse(name, *what);

  // Non-blocking, so that whatever took the name's place since cannot hang
  // the open; the descriptor is then checked again.
  int fd = -1;
  do {
    fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) Refuse(name, Reason(errno));
  InputFile opened(fd, name, {});
  if (::fstat(fd, &opened.opened_) != 0) Refuse(name, Reason(errno));
  if (const auto what = NotAFile(opened.opened_.st_mode)) Refuse(name, *what);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) Refuse(name, Reason(errno));
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
    if (n < 0) Refuse(name_, "读取失败（" + std::string(std::strerror(errno)) + "）");
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
    if (errno != EINTR) Refuse(name_, "读取失败（" + std::string(std::strerror(errno)) + "）");
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
  Refuse(name_, "文件在读取期间被改动，请在它不再变化后重新计算");
}

bool IsCompoundDocument(std::string_view head) {
  return head.starts_with("\xD0\xCF\x11\xE0");
}

void RefuseCompoundDocument(const std::string& name) {
  Refuse(name, "文件是加密的 Excel 工作簿或旧的 .xls，请先取消密码并另存为 .xlsx");
}

std::unique_ptr<RowReader> OpenInputReader(const std::filesystem::path& path) {
  InputFile file = InputFile::Open(path);
  const std::string head = file.Head(4);
  if (head == "PK\x03\x04") return ReadXlsx(std::move(file));
  if (IsCompoundDocument(head)) RefuseCompoundDocument(file.name());
  // An empty file, whatever its name, has no rows: the run says it has no
  // header.
  if (IsXlsxName(path) && file.size() > 0) {
    Refuse(file.name(), "不是 XLSX 文件（不是 zip 压缩包）");
  }
  return ReadCsv(std::move(file));
}

}  // namespace quillbary::batch::detail
