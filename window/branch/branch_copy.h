// The window's side of the branch: a terminal's journal copied to the
// branch's server in the background, and how many entries wait shown on the
// status line (待上传 N 条). Nothing for a journal that joined no branch.
#pragma once

#include <filesystem>

namespace quillbary {

class StatusLine;

// Starts the copy for the journal at `journal`; it stops with `line`.
void StartBranchCopy(const std::filesystem::path& journal, StatusLine* line);

}  // namespace quillbary
