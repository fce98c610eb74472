// Where the program is built without the branch's database client (Windows,
// for now), there is nothing to copy.
#include "branch/branch_copy.h"

#include <iostream>

namespace quillbary {

void StartBranchCopy(const std::filesystem::path&, StatusLine*, JournalDesk*) {}

void OfferBranchHistory(JournalDesk*) {}

branch::TablePdfWriter BranchPdfWriter() { return {}; }

int RunBranchHistory(const std::string&) {
  std::cerr << "本版本的程序不含分行功能\n";
  return 2;
}

}  // namespace quillbary
