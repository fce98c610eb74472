// Where the program is built without the branch's database client (Windows,
// for now), there is nothing to copy.
#include "branch/branch_copy.h"

namespace quillbary {

void StartBranchCopy(const std::filesystem::path&, StatusLine*, JournalDesk*) {}

}  // namespace quillbary
