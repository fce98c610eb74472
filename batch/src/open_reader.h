// Opening the file a batch run reads: only a regular file that is not empty,
// opened once, and what it is decides the reader.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "quillbary/batch_file.h"
#include "quillbary/system_file.h"

namespace quillbary::batch::detail {

// An input file, open for reading. Open() refuses, before reading a byte,
// what is not a regular file (a folder, a FIFO, a device, a socket), and
// never blocks on a FIFO or a device: the name is opened non-blocking and
// the open descriptor, not the name, decides.
class InputFile {
 public:
  // Throws BatchFileError "PATH：REASON".
  static InputFile Open(const std::filesystem::path& file);
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&&) = delete;
  InputFile(const InputFile&) = delete;

  int fd() const { return fd_; }
  const std::string& name() const { return name_; }
  // The size when it was opened.
  std::uint64_t size() const { return opened_.size; }
  // Up to `count` bytes from the start, read without moving the offset.
  std::string Head(std::size_t count) const;
  // Throws BatchFileError when the file's size or modification time is no
  // longer what it was when it was opened: it was changed while being read.
  void CheckUnchanged() const;
  // Throws that BatchFileError.
  [[noreturn]] void RefuseChanged() const;
  // Reads up to `size` bytes at the descriptor's offset; 0 at the end.
  std::size_t Read(char* into, std::size_t size) const;

 private:
  InputFile(int fd, std::string name, const files::FileFacts& opened)
      : fd_(fd), name_(std::move(name)), opened_(opened) {}

  int fd_ = -1;
  std::string name_;
  files::FileFacts opened_;
};

// A compound document (an encrypted XLSX or an old .xls) starts so.
bool IsCompoundDocument(std::string_view head);
// "PATH：文件是加密的 Excel 工作簿或旧的 .xls，…".
[[noreturn]] void RefuseCompoundDocument(const std::string& name);

// The readers on a file already opened.
std::unique_ptr<RowReader> ReadCsv(InputFile file);
std::unique_ptr<RowReader> ReadXlsx(InputFile file);

// The reader for `file`: XLSX when it is a zip, else CSV. Throws
// BatchFileError naming the file when it cannot be read.
std::unique_ptr<RowReader> OpenInputReader(const std::filesystem::path& file);

}  // namespace quillbary::batch::detail
