#include "branch_command_line.h"

#include <array>
#include <charconv>
#include <chrono>
#include <string_view>
#include <utility>

namespace quillbary::branch {
namespace {

constexpr std::array<std::pair<std::string_view, BranchCommand>, 6> kCommands = {{
    {"--init-branch", BranchCommand::kInit},
    {"--join-branch", BranchCommand::kJoin},
    {"--check-branch", BranchCommand::kCheck},
    {"--upload-branch", BranchCommand::kUpload},
    {"--close-day", BranchCommand::kCloseDay},
    {"--review", BranchCommand::kReview},
}};

// "2026-12-10" naming a day of the calendar.
bool IsDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  int parts[3] = {};
  const std::string_view pieces[3] = {text.substr(0, 4), text.substr(5, 2), text.substr(8, 2)};
  for (int i = 0; i < 3; ++i) {
    const auto [end, error] =
        std::from_chars(pieces[i].data(), pieces[i].data() + pieces[i].size(), parts[i]);
    if (error != std::errc() || end != pieces[i].data() + pieces[i].size()) return false;
  }
  return std::chrono::year_month_day(std::chrono::year(parts[0]),
                                     std::chrono::month(static_cast<unsigned>(parts[1])),
                                     std::chrono::day(static_cast<unsigned>(parts[2])))
      .ok();
}

bool IsValue(std::span<const char* const> args, std::size_t i) {
  return i < args.size() && !std::string_view(args[i]).empty() &&
         !std::string_view(args[i]).starts_with("--");
}

}  // namespace

std::optional<BranchCommandLine> ReadBranchCommandLine(std::span<const char* const> args) {
  BranchCommandLine line;
  bool found = false;
  std::vector<std::string_view> values;  // the command's own, in order
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    bool isCommand = false;
    for (const auto& [word, command] : kCommands) {
      if (arg != word) continue;
      isCommand = true;
      if (found) line.error = "一次只能用一个分行命令";
      found = true;
      line.command = command;
    }
    if (isCommand) continue;
    if (arg == "--branch" || arg == "--terminal" || arg == "--output") {
      if (!IsValue(args, i + 1)) {
        line.error = std::string(arg) + " 之后须有值";
        continue;
      }
      (arg == "--branch" ? line.conninfo : arg == "--terminal" ? line.terminal : line.output) =
          args[++i];
    } else if (arg.starts_with("--")) {
      line.error = "无法识别的参数“" + std::string(arg) + "”";
    } else {
      values.push_back(arg);
    }
  }
  if (!found) return std::nullopt;
  if (!line.error.empty()) return line;
  if (!line.output.empty() && line.command != BranchCommand::kCloseDay) {
    line.error = "--output 只与 --close-day 同用";
    return line;
  }

  const auto want = [&](std::size_t least, std::size_t most, const char* usage) {
    if (values.size() < least || values.size() > most) line.error = usage;
    return line.error.empty();
  };
  switch (line.command) {
    case BranchCommand::kInit:
    case BranchCommand::kJoin:
    case BranchCommand::kCheck:
      if (want(1, 1, "--init-branch、--join-branch 与 --check-branch 之后须有一个连接串") &&
          !line.conninfo.empty()) {
        line.error = "--init-branch、--join-branch 与 --check-branch 不与 --branch 同用";
      }
      if (line.error.empty()) line.conninfo = std::string(values[0]);
      break;
    case BranchCommand::kUpload:
      want(0, 0, "--upload-branch 不带值");
      break;
    case BranchCommand::kCloseDay:
      if (want(1, 1, "--close-day 之后须有日期，如 2026-12-10")) {
        if (!IsDate(values[0])) line.error = "日期“" + std::string(values[0]) + "”有误，应如 2026-12-10";
        line.date = std::string(values[0]);
      }
      break;
    case BranchCommand::kReview:
      if (want(2, 3, "--review 之后须有编号与“通过”或“退回”，退回时再加原因")) {
        line.serial = std::string(values[0]);
        if (values[1] == "通过") {
          line.verdict = Verdict::kPass;
        } else if (values[1] == "退回") {
          line.verdict = Verdict::kReturn;
        } else {
          line.error = "复核结论须为“通过”或“退回”";
        }
        if (values.size() == 3) line.reason = std::string(values[2]);
      }
      break;
  }
  return line;
}

}  // namespace quillbary::branch
