// The one way this program writes a file: whole or not at all, never through
// a name someone planted, never over what is not a regular file, and never
// saying it succeeded when it did not.
//
// A SafeFile is made in the target's folder as a private folder of its own
// (".月末.csv.quillbary-part-Ab12Cd", mode 0700) holding the file being
// written (mode 0600, created exclusively, never following a link). Finish()
// makes it whole on disk (fsync); PutInPlace() renames it over the target and
// syncs the folder; Keep() ends the write. Until Keep(), destroying the
// SafeFile undoes it: the temporary goes, and a target already replaced gets
// its previous content back (the two were exchanged, not overwritten), or is
// removed again when there was none. So a caller can record a write in a
// transaction and put the file in place before it commits:
//
//   SafeFile file(target, options);
//   file.Write(bytes);
//   file.Finish();                    // whole on disk, under its temporary name
//   journal.Record(..., [&] { file.PutInPlace(); });   // inside the transaction
//   file.Keep();                      // committed: the write stands
//
// The target may be absent, a regular file (replaced; its permission bits are
// kept), or a symbolic link to a regular file (the file it points at is
// replaced; the link stays a link). Anything else, a folder, a FIFO, a device,
// a socket or a link to one of them, is refused before anything is written.
//
// The temporaries of the program's writes are removed on every way out: an
// exception, SIGINT, SIGTERM, SIGHUP; a write past `ulimit -f` is an error
// (SIGXFSZ is ignored while a file is being written). One left by a program
// that was killed outright is removed by the next write to the same target.
#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillbary::files {

// A failed or refused write. `what()` is "PATH：REASON" in Chinese, the
// reason naming the real cause ("无法写入（No space left on device）").
struct FileError : std::runtime_error {
  enum class Kind {
    kRefused,   // the target is not a file we may replace (a folder, the journal, ...)
    kExists,    // the target exists and the write must not replace it
    kDiskFull,  // ENOSPC, EDQUOT, EFBIG: the disk or a limit refused the bytes
    kIo,        // any other failure of the file system
  };
  FileError(Kind kind, std::filesystem::path path, std::string reason);

  Kind kind;
  std::filesystem::path path;
  std::string reason;
};

struct WriteOptions {
  // Files this run reads or keeps (the input, the journal, its -wal and
  // -shm): a target that is one of them is refused, by device and inode
  // when it exists, else by its full path (a -wal not there yet must not be
  // made by us). Each is named with what it is, for the message:
  // {"日志", "/home/clerk/.local/share/quillbary/journal.sqlite3"}.
  struct Kept {
    std::string what;
    std::filesystem::path path;
  };
  std::vector<Kept> kept;
  // A template never replaces a sheet: an existing target is refused.
  bool refuseExisting = false;
};

class SafeFile {
 public:
  // Checks the target and makes the temporary file; throws FileError.
  explicit SafeFile(const std::filesystem::path& target, const WriteOptions& options = {});
  ~SafeFile();
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Appends bytes; throws FileError (kDiskFull past `ulimit -f` or a full disk).
  void Write(std::string_view bytes);
  // Flushes, fsyncs and closes the temporary. After it, TemporaryPath() is
  // the whole file, to hash or to record.
  void Finish();
  // Finish() if not yet, then renames the temporary over the target and
  // fsyncs the folder. Undone by the destructor until Keep().
  void PutInPlace();
  // The write stands: the previous content, if any, is removed.
  void Keep();
  // Finish(), PutInPlace() and Keep().
  void Commit();
  // Finish(), then `record`, which may call putInPlace() inside the
  // transaction that records the write; PutInPlace() after it if it did not;
  // then Keep(). False, with the write left to be undone, when `record`
  // refuses; a throw from it undoes the write too.
  using Recorder = std::function<bool(const std::function<void()>& putInPlace)>;
  bool CommitRecorded(const Recorder& record);

  // The file being written. A library that writes by name (libxlsxwriter)
  // may write it there: it lies in a folder only this program can enter.
  const std::filesystem::path& TemporaryPath() const { return temporary_; }

 private:
  [[noreturn]] void Fail(FileError::Kind kind, const char* what, int error) const;
  [[noreturn]] void RefuseKept(const WriteOptions::Kept& kept) const;

  std::filesystem::path target_;   // as the caller named it, for messages
  std::filesystem::path final_;    // the file replaced: the target or its link's target
  std::filesystem::path folder_;   // the private folder beside final_
  std::filesystem::path temporary_;
  int fd_ = -1;
  // Windows: a handle on the temporary with no access to its bytes, held so
  // that another write cannot take it for a leftover while a library that
  // writes by name opens it for itself.
  void* hold_ = nullptr;
  int registration_ = -1;  // in the list the signal handler removes
  bool existed_ = false;   // final_ was there before the write
  bool finished_ = false;  // Finish() done
  bool placed_ = false;    // PutInPlace() done, and undoable
  bool kept_ = false;
  unsigned mode_ = 0600;
};

}  // namespace quillbary::files
