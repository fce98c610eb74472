#include "app/command_line.h"

#include <algorithm>

namespace quillbary {
namespace {

constexpr std::string_view kHelp =
    "用法：quillbary [--help | --version]\n"
    "还款利息计算器：算出还款时的正常利息、逾期利息与合计。不带参数时打开计算窗口。\n"
    "\n"
    "  --help     显示本帮助后退出\n"
    "  --version  显示版本号后退出\n";

constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";

}  // namespace

std::optional<int> AnswerCommandLine(std::span<const char* const> args, std::string_view version,
                                     std::ostream& out, std::ostream& err) {
  if (args.empty()) return std::nullopt;
  const auto unknown = std::find_if(args.begin(), args.end(), [](std::string_view arg) {
    return arg != kHelpOption && arg != kVersionOption;
  });
  if (unknown != args.end()) {
    err << "quillbary: 无法识别的参数“" << *unknown << "”；用法见 quillbary --help\n";
    return 2;
  }
  if (args.front() == kHelpOption) {
    out << kHelp;
  } else {
    out << "quillbary " << version << '\n';
  }
  if (!out.flush()) {
    err << "quillbary: 无法写出到标准输出\n";
    return 1;
  }
  return 0;
}

}  // namespace quillbary
