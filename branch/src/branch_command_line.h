// The branch commands' arguments, read and checked before anything connects.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "quillbary/branch.h"

namespace quillbary::branch {

enum class BranchCommand { kInit, kJoin, kCheck, kUpload, kCloseDay, kReview };

struct BranchCommandLine {
  BranchCommand command = BranchCommand::kUpload;
  std::string conninfo;  // --init-branch's, --join-branch's, --check-branch's or --branch's
  std::string date;      // --close-day's, "2026-12-10"
  std::string terminal;  // --terminal's
  std::string serial;    // --review's 编号
  Verdict verdict = Verdict::kPass;
  std::string reason;
  std::string output;  // --close-day's --output: a .xlsx or .csv to write the close to
  std::string error;  // a usage error, worded for standard error
};

// Nothing when args name no branch command; otherwise the command with its
// values, or with `error` set:
//   {"--close-day", "2026-12-10", "--terminal", "T02"} -> kCloseDay, T02
//   {"--review", "2026-T02-000007", "退回", "借据号有误"} -> kReview, kReturn
//   {"--close-day", "2026-02-30"} -> error (no such date)
//   {"--close-day", "2026-12-10", "--output", "日终.xlsx"} -> kCloseDay, written there
std::optional<BranchCommandLine> ReadBranchCommandLine(std::span<const char* const> args);

}  // namespace quillbary::branch
