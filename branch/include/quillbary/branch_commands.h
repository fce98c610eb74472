// The branch's commands on the command line, answered before the window:
//   --init-branch CONNINFO    makes the branch's schema (the database's owner, once)
//   --join-branch CONNINFO    makes this machine's journal a terminal of the
//                             branch, then copies its entries there
//   --check-branch CONNINFO   checks every terminal's chain on the server
//   --upload-branch           copies what waits in the journal to the branch
//   --close-day DATE          the day's close of the branch, or with
//                             --terminal T of one terminal
//   --review 编号 通过|退回 [原因]
//                             records 复核 of a statement of the branch
// --branch CONNINFO names the database for --close-day and --review on a
// machine that is no terminal; otherwise the journal's own branch is used.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "quillbary/journal_export.h"

namespace quillbary::branch {

// The answer to a branch command in args (the journal's options already
// taken out): its exit status, having written what it did to out and why it
// could not to err: 0 done, 2 a usage error, 3 the server or the journal
// refused. Nothing when args hold no branch command.
//   quillbary --join-branch "host=/run/pg dbname=branch"
//   -> "本机已加入分行：终端 T02（此后编号形如 2026-T02-000001）；已上传 5 条"
//
// --close-day ... --output writes an .xlsx, a .pdf through `pdf` (the window's
// page maker; without one a .pdf is refused) or else a CSV, each through the
// one writer, never over the journal.
using TablePdfWriter =
    std::function<void(const std::string& title, const journal::Table& table,
                       const std::filesystem::path& path, const files::WriteOptions& options)>;
std::optional<int> AnswerBranchCommand(std::span<const char* const> args,
                                       const std::filesystem::path& journal, std::ostream& out,
                                       std::ostream& err, const TablePdfWriter& pdf = {});

// What --check-journal adds for a journal that is a branch terminal's: the
// comparison with the server's copy (CompareWithServerCopy), with `said` one
// line for the clerk. Nothing for a journal that joined no branch. A server
// that cannot be reached agrees, saying so: the local check still stands.
struct BranchWitness {
  bool agrees = true;
  std::int64_t firstBadSeq = 0;
  std::string said;
};
std::optional<BranchWitness> WitnessOfBranch(const std::filesystem::path& journal);

}  // namespace quillbary::branch
