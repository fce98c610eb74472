// The window's side of the branch: a terminal's journal copied to the
// branch's server in the background, how many entries wait shown on the
// status line (待上传 N 条), and no new 编号 while the journal is behind the
// server's copy of it. Nothing for a journal that joined no branch.
#pragma once

#include <filesystem>
#include <string>

#include "quillbary/branch_commands.h"

namespace quillbary {

class JournalDesk;
class StatusLine;

// Starts the copy for the journal at `journal`, nudged by each entry the
// desk records; it stops with `line`.
void StartBranchCopy(const std::filesystem::path& journal, StatusLine* line, JournalDesk* desk);

// Lets the desk's history open the branch's history (分行记录…).
void OfferBranchHistory(JournalDesk* desk);

// quillbary --branch-history CONNINFO: the branch's history alone, for a
// supervisor's machine that is no terminal; the application's exit status.
int RunBranchHistory(const std::string& conninfo);

// How the branch's commands write a PDF (the day's close): none where the
// program has no branch client.
quillbary::branch::TablePdfWriter BranchPdfWriter();

}  // namespace quillbary
