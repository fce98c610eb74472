// The window's side of the branch: a terminal's journal copied to the
// branch's server in the background, how many entries wait shown on the
// status line (待上传 N 条), and no new 编号 while the journal is behind the
// server's copy of it. Nothing for a journal that joined no branch.
#pragma once

#include <filesystem>

namespace quillbary {

class JournalDesk;
class StatusLine;

// Starts the copy for the journal at `journal`, nudged by each entry the
// desk records; it stops with `line`.
void StartBranchCopy(const std::filesystem::path& journal, StatusLine* line, JournalDesk* desk);

}  // namespace quillbary
