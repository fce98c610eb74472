// The few calls on files whose form differs between POSIX and Windows, one
// set of functions with a side for each: the rooms read and make files
// through these and never include <fcntl.h>, <unistd.h> or <windows.h>.
// Descriptors are the C runtime's, so that a library handed one (libzip's
// zip_fdopen) reads it with the same runtime. Each returns false or -1 with
// errno set when it fails.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>

namespace quillbary::files {

// What the system says of a file, the same on every system.
struct FileFacts {
  unsigned type = 0;           // the S_IFMT bits: S_ISREG(type), S_ISDIR(type), ...
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0; // modification time, to see a file change while read
};

// Following links.
bool FactsOf(const std::filesystem::path& path, FileFacts& facts);
bool FactsOf(int fd, FileFacts& facts);

// Opens for reading without waiting: on POSIX non-blocking, so that a FIFO
// or a device in the file's place cannot hang the open; BlockingReads()
// once the descriptor is known to be a regular file.
int OpenToRead(const std::filesystem::path& path);
bool BlockingReads(int fd);
// Reads up to `size` bytes at the descriptor's offset (0 at the end), or at
// `offset` without moving it; a signal does not interrupt either.
std::ptrdiff_t ReadSome(int fd, void* into, std::size_t size);
std::ptrdiff_t ReadAt(int fd, void* into, std::size_t size, std::uint64_t offset);
bool Rewind(int fd);
// A second descriptor of the same open file, for a library that closes the
// one it is handed.
int Duplicate(int fd);
void CloseFile(int fd);

// A folder and a new empty file that only their owner can open (0700, 0600;
// on Windows they take the permissions of the folder they are made in, which
// in the user's profile are the user's own). False with EEXIST when there.
bool MakePrivateFolder(const std::filesystem::path& folder);
bool MakePrivateFile(const std::filesystem::path& file);

// The user's own data folder: $XDG_DATA_HOME or ~/.local/share; %APPDATA%.
std::filesystem::path UserDataFolder();
// The local time of `when`, safe to call from any thread.
std::tm LocalTime(std::time_t when);

}  // namespace quillbary::files
