// The journal's options on the command line, taken out before the rest is
// answered, so that they may stand anywhere among the others:
//   --journal PATH          the journal to record into, check or export
//   --no-journal            the window records nothing (and numbers nothing)
//   --check-journal         walks the journal's chain and ends
//   --export-journal OUT    writes every entry as CSV and ends
// Without --journal the journal is DefaultJournalPath().
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace quillbary {

struct JournalCommandLine {
  std::filesystem::path journal;  // the journal to use
  bool noJournal = false;
  bool check = false;
  std::optional<std::filesystem::path> exportTo;
  std::string error;  // a usage error, worded for standard error
};

// Removes the journal's options (and their values) from args.
// {"--journal", "/a.sqlite3", "--help"} -> journal "/a.sqlite3", args {"--help"}.
JournalCommandLine TakeJournalOptions(std::vector<const char*>& args);

// Answers --check-journal and --export-journal, or a usage error, with the
// arguments left over in rest; nothing when the window is to open.
// - --check-journal: "日志完好：共 N 条" and 0 when the chain holds;
//   "日志有误：第 N 条（编号 2026-000007）：…" and 1 when it does not;
// - --export-journal OUT: "已导出 N 条到 OUT" and 0;
// - a journal that cannot be opened or a file that cannot be written: one line
//   on err with the path and why, and 3;
// - a usage error, an argument left over beside a command, or an export
//   onto the journal itself: one line, 2.
//
// A journal whose chain holds may still have lost its tail or been rewritten
// whole; `witness`, when given, asks a second copy of the chain (the branch's
// server) and says one line for it: "日志完好：共 N 条（PATH）；与分行数据库中
// 终端 T01 的 N 条一致", or "日志有误：第 N 条：…" and 1 when they differ.
struct ChainWitness {
  bool agrees = true;
  std::int64_t firstBadSeq = 0;
  std::string said;
};
using WitnessOf = std::function<std::optional<ChainWitness>(const std::filesystem::path& journal)>;

std::optional<int> AnswerJournalCommand(const JournalCommandLine& line,
                                        std::span<const char* const> rest, std::ostream& out,
                                        std::ostream& err, const WitnessOf& witness = {});

}  // namespace quillbary
