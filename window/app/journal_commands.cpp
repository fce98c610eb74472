#include "app/journal_commands.h"

#include <string_view>

#include "quillbary/journal.h"
#include "quillbary/journal_export.h"
#include "quillbary/path_text.h"

namespace quillbary {
namespace {

constexpr std::string_view kJournalOption = "--journal";
constexpr std::string_view kNoJournalOption = "--no-journal";
constexpr std::string_view kCheckOption = "--check-journal";
constexpr std::string_view kExportOption = "--export-journal";

// The value after an option: absent, empty or another option is an error.
std::optional<std::string_view> ValueAfter(const std::vector<const char*>& args, std::size_t i) {
  if (i + 1 >= args.size()) return std::nullopt;
  const std::string_view value = args[i + 1];
  if (value.empty() || value.starts_with("--")) return std::nullopt;
  return value;
}

int Check(const std::filesystem::path& path, std::ostream& out, const WitnessOf& witnessOf) {
  journal::JournalOptions options;
  options.readOnly = true;
  const journal::ChainCheck check = journal::Journal::Open(path, options)->CheckChain();
  if (check.intact) {
    const std::optional<ChainWitness> witness = witnessOf ? witnessOf(path) : std::nullopt;
    if (witness && !witness->agrees) {
      out << "日志有误：第 " << witness->firstBadSeq << " 条：" << witness->said << "（"
          << files::Utf8Of(path) << "）\n";
      return 1;
    }
    out << "日志完好：共 " << check.entries << " 条（" << files::Utf8Of(path) << "）";
    if (witness) out << "；" << witness->said;
    out << "\n";
    return 0;
  }
  out << "日志有误：";
  if (check.firstBadSeq > 0) {
    out << "第 " << check.firstBadSeq << " 条";
    if (!check.firstBadSerial.empty()) out << "（编号 " << check.firstBadSerial << "）";
    out << "：";
  }
  out << check.problem << "（" << files::Utf8Of(path) << "）\n";
  return 1;
}

int Export(const std::filesystem::path& path, const std::filesystem::path& to, std::ostream& out) {
  journal::JournalOptions options;
  options.readOnly = true;
  const std::int64_t count = journal::ExportJournalCsv(*journal::Journal::Open(path, options), to);
  out << "已导出 " << count << " 条到 " << files::Utf8Of(to) << "\n";
  return 0;
}

}  // namespace

JournalCommandLine TakeJournalOptions(std::vector<const char*>& args) {
  JournalCommandLine line;
  std::optional<std::filesystem::path> journal;
  std::vector<const char*> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == kJournalOption || arg == kExportOption) {
      const std::optional<std::string_view> value = ValueAfter(args, i);
      if (!value) {
        line.error = std::string(arg) + " 之后须有文件的路径";
        continue;
      }
      (arg == kJournalOption ? journal : line.exportTo) = files::PathOfUtf8(*value);
      ++i;
    } else if (arg == kNoJournalOption) {
      line.noJournal = true;
    } else if (arg == kCheckOption) {
      line.check = true;
    } else {
      rest.push_back(args[i]);
    }
  }
  args = rest;
  line.journal = journal.value_or(journal::DefaultJournalPath());
  if (!line.error.empty()) return line;
  if (line.noJournal && (journal || line.check || line.exportTo)) {
    line.error = "--no-journal 不能与其他日志选项同用";
  } else if (line.check && line.exportTo) {
    line.error = "--check-journal 与 --export-journal 一次只能用一个";
  }
  return line;
}

std::optional<int> AnswerJournalCommand(const JournalCommandLine& line,
                                        std::span<const char* const> rest, std::ostream& out,
                                        std::ostream& err, const WitnessOf& witness) {
  if (!line.error.empty()) {
    err << "quillbary: " << line.error << "；用法见 quillbary --help\n";
    return 2;
  }
  if (!line.check && !line.exportTo) return std::nullopt;
  if (!rest.empty()) {
    err << "quillbary: 无法识别的参数“" << rest.front() << "”；用法见 quillbary --help\n";
    return 2;
  }
  std::error_code ignored;
  if (line.exportTo && std::filesystem::equivalent(line.journal, *line.exportTo, ignored)) {
    err << "quillbary: 不能导出到日志文件本身（" << files::Utf8Of(line.journal) << "）\n";
    return 2;
  }
  try {
    const int status =
        line.check ? Check(line.journal, out, witness) : Export(line.journal, *line.exportTo, out);
    if (!out.flush()) {
      err << "quillbary: 无法写出到标准输出\n";
      return 1;
    }
    return status;
  } catch (const journal::JournalError& error) {
    err << "quillbary: " << error.what() << "\n";
    return 3;
  }
}

}  // namespace quillbary
