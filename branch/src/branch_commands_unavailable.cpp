// The branch commands where the program is built without the branch's
// database client (Windows, for now): each is answered with why not.
#include "branch_command_line.h"
#include "quillbary/branch_commands.h"

namespace quillbary::branch {

std::optional<int> AnswerBranchCommand(std::span<const char* const> args,
                                       const std::filesystem::path&, std::ostream&,
                                       std::ostream& err, const TablePdfWriter&) {
  if (!ReadBranchCommandLine(args)) return std::nullopt;
  err << "quillbary: 本版本不含分行功能（分行数据库的连接尚未在此系统上提供）\n";
  return 2;
}

std::optional<BranchWitness> WitnessOfBranch(const std::filesystem::path&) { return std::nullopt; }

}  // namespace quillbary::branch
