#include "app/command_line.h"

#include <algorithm>

#include "app/batch_command.h"

namespace quillbary {
namespace {

constexpr std::string_view kHelp =
    "用法：quillbary [--help | --version]\n"
    "      quillbary --batch 输入文件 [--output 输出文件] [--journal 文件 | --no-journal]\n"
    "      quillbary --batch-template 文件.csv|文件.xlsx\n"
    "      quillbary [--journal 文件 | --no-journal]\n"
    "      quillbary --check-journal | --export-journal 输出.csv [--journal 文件]\n"
    "      quillbary --init-branch 连接串 | --join-branch 连接串 | --upload-branch\n"
    "      quillbary --check-branch 连接串\n"
    "      quillbary --close-day 日期 [--terminal 终端] [--branch 连接串] [--output 文件.xlsx]\n"
    "      quillbary --review 编号 通过|退回 [原因] [--branch 连接串]\n"
    "还款利息计算器：算出还款时的正常利息、逾期利息与合计。不带参数时打开计算窗口。\n"
    "交付（复制、打印、导出 PDF）的每张计息单都编号记入日志，每次批量计算也记入，默认为\n"
    "$XDG_DATA_HOME/quillbary/journal.sqlite3（即 ~/.local/share/quillbary/）。\n"
    "\n"
    "  --help     显示本帮助后退出\n"
    "  --version  显示版本号后退出\n"
    "  --batch  输入文件\n"
    "             逐行计算 CSV 或 XLSX 文件中的每一笔还款，结果列加在每行之后，\n"
    "             写入输出文件（默认在输入文件名的扩展名前加“-结果”）。\n"
    "             退出状态：0 每行都已算出；3 有的行有错误（文件照样写出）；\n"
    "             2 用法有误或表头缺少列；1 文件无法读取或写入\n"
    "  --output  输出文件\n"
    "             与 --batch 同用：结果文件，扩展名 .xlsx 写 XLSX，否则写 CSV\n"
    "  --batch-template  文件\n"
    "             写出表头和一行示例，.csv 或 .xlsx\n"
    "  --journal 文件  使用指定的日志文件\n"
    "  --no-journal  不记日志（交付的计息单不编号，批量计算不记录）\n"
    "  --check-journal  检查日志的哈希链：完好时显示条数，退出状态 0；\n"
    "                   有误时指出第一条不符的记录，退出状态 1\n"
    "  --export-journal 输出.csv  把日志的全部记录导出为 CSV（UTF-8）后退出\n"
    "  --init-branch 连接串  在分行的 PostgreSQL 数据库中建立分行的表（数据库所有者，一次）\n"
    "  --join-branch 连接串  本机加入分行，取得终端号（如 T02），此后编号形如\n"
    "                        2026-T02-000123，并上传日志\n"
    "  --upload-branch  把日志中尚未上传的记录上传到分行数据库\n"
    "  --check-branch 连接串  检查分行数据库中每个终端的链：完好时退出状态 0，有误时 1\n"
    "  --close-day 日期  分行（或 --terminal 所指终端）当日的日终汇总；\n"
    "                    加 --output 时另写成 XLSX（.xlsx）、PDF（.pdf）或 CSV 文件\n"
    "  --review 编号 通过|退回 [原因]  记录对分行一张计息单的复核\n"
    "  --branch-history 连接串  只打开分行历史记录窗口（各终端的计息单，可在其中复核、打印日终汇总）\n"
    "  连接串为 libpq 的连接串（如 \"host=分行服务器 dbname=branch\" 或 service=名称）；\n"
    "  密码只放在 ~/.pgpass 或服务文件中，不可写在连接串里\n";

constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";

}  // namespace

std::optional<int> AnswerCommandLine(std::span<const char* const> args, std::string_view version,
                                     const BatchJournal& journal, std::ostream& out,
                                     std::ostream& err) {
  if (args.empty()) return std::nullopt;
  if (AsksForBatch(args)) return AnswerBatch(args, journal, out, err, IsTerminal(err));
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
