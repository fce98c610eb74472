// What the journal's tests share: a folder of their own, a statement to
// record, and raw SQL on a journal file, as someone tampering with it would.
#pragma once

#include <filesystem>
#include <functional>
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

// Runs sql on the file through a connection of its own.
void Sql(const std::filesystem::path& path, const std::string& sql);
// The same, dropping first the triggers that forbid changes, as a tamperer would.
void Tamper(const std::filesystem::path& path, const std::string& sql);

// Runs body in a child process, as the user nobody when this one is root
// (permission bits do not stop root); what it returns, or -1 when the child
// did not end normally. body must not use GoogleTest's assertions.
int InChildAsNobody(const std::function<int()>& body);
// Hands a file or folder to nobody when running as root, so that the child
// above owns it as this process would.
void GiveToNobody(const std::filesystem::path& path);

std::string FileBytes(const std::filesystem::path& path);

}  // namespace quillbary::journal
