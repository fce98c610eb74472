#include "quillbary/branch_commands.h"

#include <string>
#include <string_view>
#include <vector>

#include "branch_command_line.h"
#include "terminal_key.h"
#include "quillbary/branch.h"
#include "quillbary/journal.h"
#include "quillbary/journal_export.h"
#include "quillbary/path_text.h"
#include "quillbary/safe_file.h"

namespace quillbary::branch {
namespace {

std::unique_ptr<journal::Journal> OpenJournal(const std::filesystem::path& path) {
  return journal::Journal::Open(path);
}

// The database of a command: --branch, or the journal's own branch.
std::string ConninfoFor(const BranchCommandLine& line, const std::filesystem::path& journalPath) {
  if (!line.conninfo.empty()) return line.conninfo;
  journal::JournalOptions options;
  options.readOnly = true;
  const auto membership = journal::Journal::Open(journalPath, options)->Membership();
  if (!membership) {
    throw BranchError(BranchError::Kind::kNotABranch,
                      "本机尚未加入分行：请用 --branch 指明分行数据库，或先 --join-branch");
  }
  return membership->conninfo;
}

int Join(const BranchCommandLine& line, const std::filesystem::path& journalPath,
         std::ostream& out) {
  if (const std::optional<std::string> password = PasswordIn(line.conninfo)) {
    throw BranchError(BranchError::Kind::kCannotConnect, *password);
  }
  auto journal = OpenJournal(journalPath);
  UploadResult uploaded;
  const std::string terminal =
      JoinBranch(*journal, line.conninfo, KeyFileOf(journalPath), &uploaded);
  out << "本机已加入分行：终端 " << terminal << "（此后编号形如 2026-" << terminal
      << "-000001）；已上传 " << uploaded.sent << " 条\n";
  return 0;
}

int Upload(const std::filesystem::path& journalPath, std::ostream& out) {
  auto journal = OpenJournal(journalPath);
  const auto membership = journal->Membership();
  if (!membership) {
    throw BranchError(BranchError::Kind::kNotABranch, "本机尚未加入分行：请先 --join-branch");
  }
  Branch branch(membership->conninfo);
  const UploadResult uploaded =
      CopyToBranch(*journal, branch, membership->terminal, KeyFileOf(journalPath));
  out << "已上传 " << uploaded.sent << " 条；分行数据库中终端 " << membership->terminal << " 共 "
      << uploaded.serverHead << " 条\n";
  return 0;
}

int CheckBranch(const BranchCommandLine& line, std::ostream& out) {
  const std::vector<TerminalChainCheck> checks = Branch(line.conninfo).CheckChains();
  std::int64_t entries = 0;
  bool whole = true;
  for (const TerminalChainCheck& check : checks) {
    entries += check.entries;
    whole = whole && check.whole;
    out << "终端 " << check.terminal << "：共 " << check.entries << " 条，";
    if (check.whole) {
      out << "完好\n";
    } else {
      out << "第 " << check.firstBadSeq << " 条" << check.problem << "\n";
    }
  }
  out << (whole ? "分行数据库完好：" : "分行数据库有误：") << checks.size() << " 个终端，共 "
      << entries << " 条\n";
  return whole ? 0 : 1;
}

void PrintClose(const DayClose& close, std::ostream& out) {
  out << "日终汇总 " << close.date << "（" << (close.terminal.empty() ? "全分行" : close.terminal)
      << "）\n"
      << "  出具计息单  " << close.statements << " 张\n"
      << "  再次交付    " << close.handOnsAgain << " 次\n"
      << "  补打        " << close.reprints << " 次\n"
      << "  作废        " << close.voids << " 张\n"
      << "  批量计算    " << close.batchRuns << " 次，共 " << close.batchRows << " 行\n"
      << "  利息合计之和  " << close.interestTotalSum << " 元\n"
      << "  本息合计之和  " << close.principalAndInterestSum << " 元\n"
      << "  已复核      " << close.reviewed << " 张，待复核 " << close.pendingReview << " 张\n";
  for (const DayClose::Voided& voided : close.voided) {
    out << "  作废 " << voided.serial << "：" << voided.reason << "\n";
  }
  for (const DayClose::Head& head : close.heads) {
    out << "  终端 " << head.terminal << " 链头：第 " << head.seq << " 条 " << head.hash << "\n";
    if (head.signedSeq > 0) {
      out << "  终端 " << head.terminal << " 签名确认至第 " << head.signedSeq << " 条 "
          << head.signature << "\n";
    }
  }
}

// Written through the one writer, never over the journal.
void WriteClose(const DayClose& close, const std::string& output,
                const std::filesystem::path& journalPath, const TablePdfWriter& pdf) {
  files::WriteOptions options;
  std::error_code ignored;
  if (std::filesystem::is_regular_file(journalPath, ignored)) {
    journal::JournalOptions readOnly;
    readOnly.readOnly = true;
    options = journal::KeptBy(*journal::Journal::Open(journalPath, readOnly));
  }
  const std::filesystem::path path = files::PathOfUtf8(output);
  if (path.extension() == ".pdf") {
    if (!pdf) throw BranchError(BranchError::Kind::kRefused, "本版本不能写出 PDF");
    pdf(DayCloseTitle(close), DayCloseTable(close), path, options);
  } else if (path.extension() == ".xlsx") {
    journal::WriteXlsx(path, DayCloseTable(close), options);
  } else {
    journal::WriteCsv(path, DayCloseTable(close), options);
  }
}

// The terminal a 编号 was handed out by: "2026-T02-000123" -> "T02".
std::string TerminalOfSerial(const std::string& serial) {
  const std::size_t first = serial.find('-');
  const std::size_t second = serial.find('-', first + 1);
  if (first == std::string::npos || second == std::string::npos) return {};
  return serial.substr(first + 1, second - first - 1);
}

int RecordReviewOf(const BranchCommandLine& line, const std::filesystem::path& journalPath,
           std::ostream& out) {
  const std::string terminal =
      line.terminal.empty() ? TerminalOfSerial(line.serial) : line.terminal;
  if (terminal.empty()) {
    throw BranchError(BranchError::Kind::kRefused,
                      "编号 " + line.serial + " 中没有终端号：请用 --terminal 指明");
  }
  Branch branch(ConninfoFor(line, journalPath));
  const Review review =
      branch.RecordReview(terminal, line.serial, line.verdict, line.reason);
  out << "已复核 " << review.serial << "：" << VerdictName(review.verdict)
      << (review.reason.empty() ? "" : "（" + review.reason + "）") << "，复核人 "
      << review.reviewer << "，" << review.reviewedAt << "\n";
  return 0;
}

}  // namespace

std::optional<BranchWitness> WitnessOfBranch(const std::filesystem::path& journalPath) {
  journal::JournalOptions options;
  options.readOnly = true;
  auto journal = journal::Journal::Open(journalPath, options);
  const auto membership = journal->Membership();
  if (!membership) return std::nullopt;
  BranchWitness witness;
  try {
    Branch branch(membership->conninfo);
    const ServerCopyCheck check = CompareWithServerCopy(*journal, branch, membership->terminal);
    witness.agrees = check.agrees;
    witness.firstBadSeq = check.firstBadSeq;
    witness.said = check.agrees ? "与分行数据库中终端 " + membership->terminal + " 的 " +
                                      std::to_string(check.serverEntries) + " 条一致"
                                : check.problem;
  } catch (const BranchError& error) {
    witness.said = "未能与分行数据库核对：" + error.reason;
  }
  return witness;
}

std::optional<int> AnswerBranchCommand(std::span<const char* const> args,
                                       const std::filesystem::path& journal, std::ostream& out,
                                       std::ostream& err, const TablePdfWriter& pdf) {
  const std::optional<BranchCommandLine> line = ReadBranchCommandLine(args);
  if (!line) return std::nullopt;
  if (!line->error.empty()) {
    err << "quillbary: " << line->error << "；用法见 quillbary --help\n";
    return 2;
  }
  try {
    int status = 0;
    switch (line->command) {
      case BranchCommand::kInit:
        Branch(line->conninfo).Init();
        out << "分行数据库已建立（结构版本 " << kBranchSchemaVersion << "）\n";
        break;
      case BranchCommand::kJoin:
        status = Join(*line, journal, out);
        break;
      case BranchCommand::kCheck:
        status = CheckBranch(*line, out);
        break;
      case BranchCommand::kUpload:
        status = Upload(journal, out);
        break;
      case BranchCommand::kCloseDay: {
        const DayClose close =
            Branch(ConninfoFor(*line, journal)).CloseOfDay(line->date, line->terminal);
        PrintClose(close, out);
        if (!line->output.empty()) {
          WriteClose(close, line->output, journal, pdf);
          out << "已写出 " << line->output << "\n";
        }
        break;
      }
      case BranchCommand::kReview:
        status = RecordReviewOf(*line, journal, out);
        break;
    }
    if (!out.flush()) {
      err << "quillbary: 无法写出到标准输出\n";
      return 1;
    }
    return status;
  } catch (const BranchError& error) {
    err << "quillbary: " << error.reason << "\n";
  } catch (const journal::JournalError& error) {
    err << "quillbary: " << error.what() << "\n";
  } catch (const files::FileError& error) {
    err << "quillbary: " << error.what() << "\n";
  }
  return 3;
}

}  // namespace quillbary::branch
