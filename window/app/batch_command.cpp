#include "app/batch_command.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "batch/run_record.h"
#include "quillbary/batch_file.h"
#include "quillbary/batch_run.h"
#include "quillbary/journal.h"
#include "quillbary/journal_export.h"
#include "quillbary/path_text.h"
#include "quillbary/safe_file.h"

namespace quillbary {

using namespace batch;  // the batch room's run, files and errors

namespace {

constexpr std::string_view kBatch = "--batch";
constexpr std::string_view kOutput = "--output";
constexpr std::string_view kTemplate = "--batch-template";

struct BatchArguments {
  std::optional<std::string> input, output, templateFile;
};

using files::PathOfUtf8;
using files::Utf8Of;

// Reads the options, or names what is wrong with them.
std::optional<BatchArguments> Parse(std::span<const char* const> args, std::ostream& err) {
  BatchArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    std::optional<std::string>* slot = arg == kBatch      ? &parsed.input
                                       : arg == kOutput   ? &parsed.output
                                       : arg == kTemplate ? &parsed.templateFile
                                                          : nullptr;
    if (slot == nullptr) {
      err << "quillbary: 无法识别的参数“" << arg << "”；用法见 quillbary --help\n";
      return std::nullopt;
    }
    if (i + 1 == args.size() || std::string_view(args[i + 1]).empty()) {
      err << "quillbary: " << arg << " 后面缺少文件名；用法见 quillbary --help\n";
      return std::nullopt;
    }
    if (slot->has_value()) {
      err << "quillbary: " << arg << " 只能给一次；用法见 quillbary --help\n";
      return std::nullopt;
    }
    *slot = args[++i];
  }
  if (parsed.templateFile && (parsed.input || parsed.output)) {
    err << "quillbary: --batch-template 不能与 --batch 或 --output 同用\n";
    return std::nullopt;
  }
  if (parsed.output && !parsed.input) {
    err << "quillbary: --output 只能与 --batch 同用\n";
    return std::nullopt;
  }
  return parsed;
}

int WriteTemplate(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  std::string extension = Utf8Of(file.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension != ".csv" && extension != ".xlsx") {
    err << "quillbary: 模板文件名应以 .csv 或 .xlsx 结尾：" << Utf8Of(file) << '\n';
    return 2;
  }
  try {
    WriteBatchTemplate(file);
  } catch (const std::runtime_error& e) {  // files::FileError, or libxlsxwriter missing
    err << "quillbary: " << e.what() << '\n';
    return 1;
  }
  out << "已写出模板 " << Utf8Of(file) << '\n';
  return 0;
}

// The journal a run is recorded in, opened before the run so that a journal
// that cannot be written stops it before any row is calculated.
std::unique_ptr<journal::Journal> OpenJournal(const BatchJournal& choice) {
  if (choice.disabled) return nullptr;
  journal::JournalOptions options;
  options.programVersion = choice.programVersion;
  return journal::Journal::Open(choice.path, options);
}

// Each count by its name, the very figures of the summary printed.
journal::BatchRunRecord RecordOf(const std::filesystem::path& input,
                                 const std::filesystem::path& output, const BatchSummary& summary,
                                 const std::filesystem::path& whole) {
  return RunRecord(Utf8Of(std::filesystem::absolute(input)),
                   Utf8Of(std::filesystem::absolute(output)), summary, journal::FileSha256(whole));
}

int Run(const std::filesystem::path& input, const std::filesystem::path& output,
        const BatchJournal& journalChoice, std::ostream& out, std::ostream& err,
        bool showProgress) {
  std::error_code ignored;
  if (std::filesystem::equivalent(input, output, ignored)) {
    err << "quillbary: 输出文件就是输入文件，不能覆盖输入：" << Utf8Of(output) << '\n';
    return 2;
  }
  std::unique_ptr<journal::Journal> journal;
  try {
    journal = OpenJournal(journalChoice);
  } catch (const journal::JournalError& e) {
    err << "quillbary: 无法打开日志，未做批量计算：" << e.what() << '\n';
    return 1;
  }
  // The output takes its place inside the entry's transaction: an entry is
  // kept only with its output, and an output only with its entry.
  const BatchFinished record = [&](const BatchSummary& summary, const std::filesystem::path& whole,
                                   const std::function<void()>& putInPlace) {
    if (!journal) return;
    journal->RecordBatchRun(RecordOf(input, output, summary, whole),
                            [&](const journal::Entry&) { putInPlace(); });
  };
  BatchProgressSink progress;
  if (showProgress) {
    progress = [&err](const BatchProgress& p) {
      err << "\r已读 " << p.rows << " 行（" << static_cast<int>(p.fraction * 100) << "%）"
          << std::flush;
      return true;
    };
  }
  try {
    const BatchSummary summary = RunBatch(input, output, progress, record,
                                          journal ? journal::KeptBy(*journal) : files::WriteOptions{});
    if (showProgress) err << '\n';
    out << "已写出 " << Utf8Of(output) << '\n' << SummaryText(summary) << '\n';
    if (journal) out << "已记入日志 " << Utf8Of(journal->path()) << '\n';
    out.flush();
    return summary.rowsNotCalculated > 0 ? 3 : 0;
  } catch (const BatchHeaderError& e) {
    if (showProgress) err << '\n';
    err << "quillbary: " << Utf8Of(input) << "：" << e.what() << '\n';
    return 2;
  } catch (const journal::JournalError& e) {
    if (showProgress) err << '\n';
    err << "quillbary: 未能记入日志，结果没有写出：" << e.what() << '\n';
    return 1;
  } catch (const std::runtime_error& e) {  // a file that cannot be read or written
    if (showProgress) err << '\n';
    err << "quillbary: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace

bool AsksForBatch(std::span<const char* const> args) {
  return std::any_of(args.begin(), args.end(), [](std::string_view arg) {
    return arg == kBatch || arg == kOutput || arg == kTemplate;
  });
}

int AnswerBatch(std::span<const char* const> args, const BatchJournal& journal, std::ostream& out,
                std::ostream& err, bool showProgress) {
  const std::optional<BatchArguments> parsed = Parse(args, err);
  if (!parsed) return 2;
  if (parsed->templateFile) return WriteTemplate(PathOfUtf8(*parsed->templateFile), out, err);
  const std::filesystem::path input = PathOfUtf8(*parsed->input);
  const std::filesystem::path output =
      parsed->output ? PathOfUtf8(*parsed->output) : DefaultOutputPath(input);
  return Run(input, output, journal, out, err, showProgress);
}

bool IsTerminal(const std::ostream& stream) {
  return &stream == &std::cerr && isatty(2) != 0;
}

}  // namespace quillbary
