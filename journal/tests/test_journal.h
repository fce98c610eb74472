// What the journal's tests share: a folder of their own, a statement to
// record, and raw SQL on a journal file, as someone tampering with it would.
#pragma once

#include <filesystem>
#include <string>

#include "quillbary/journal.h"

namespace quillbary::journal {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The worked example's statement, with `amount` as its 还款金额.
Statement SampleStatement(const std::string& amount = "10000");

// A journal whose clock stands at `now`, with a short busy timeout.
std::unique_ptr<Journal> OpenAt(const std::filesystem::path& path,
                                std::string now = "2026-03-03 10:00:00", int busyTimeoutMs = 200);

// Runs sql on the file through a connection of its own; the triggers that
// forbid changes are dropped first, as a tamperer would.
void Tamper(const std::filesystem::path& path, const std::string& sql);

std::string FileBytes(const std::filesystem::path& path);

}  // namespace quillbary::journal
