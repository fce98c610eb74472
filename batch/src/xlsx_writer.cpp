// The XLSX writer: libxlsxwriter in constant-memory mode, each row written
// out as it comes, into the SafeFile's temporary, put in the target's place at
// the end.
#include <xlsxwriter.h>

#include <charconv>
#include <map>
#include <optional>
#include <string>

#include "quillbary/batch_file.h"
#include "quillbary/safe_file.h"
#include "quillbary/xlsxwriter_library.h"

namespace quillbary::batch {
namespace {

// The number format that shows a figure's text exactly, or nothing when no
// format does: "320.37" -> "0.00", "0." -> "0.", ".45" -> "#.00",
// "181" -> "0", "1.5E+20" -> "0.0E+00".
std::string FormatShowing(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const std::size_t exponent = text.find('E');
  const std::string_view mantissa = text.substr(0, exponent);
  const std::size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : mantissa.substr(point + 1);
  if (whole.size() > 1 && whole.front() == '0') return {};
  std::string format = whole.empty() ? "#" : "0";
  if (point != std::string_view::npos) {
    format.push_back('.');
    format.append(fraction.size(), '0');
  }
  if (exponent != std::string_view::npos) {
    const std::string_view power = text.substr(exponent + 1);
    if (power.size() < 3 || (power[0] != '+' && power[0] != '-')) return {};
    format += power[0] == '+' ? "E+" : "E-";
    format.append(power.size() - 1, '0');
  }
  return format;
}

std::optional<double> NumberOf(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// A carried text that is a number as a sheet writes it ("10000", "5.31"),
// i.e. the shortest text of its value, and so safe to store as a number.
std::optional<double> PlainNumber(std::string_view text) {
  if (text.empty() || text.size() > 24 || text.find_first_not_of("-.0123456789") != text.npos) {
    return std::nullopt;
  }
  const auto value = NumberOf(text);
  if (!value) return std::nullopt;
  char shortest[32];
  const auto written = std::to_chars(shortest, shortest + sizeof shortest, *value);
  if (std::string_view(shortest, written.ptr - shortest) != text) return std::nullopt;
  return value;
}

class XlsxWriter final : public RowWriter {
 public:
  XlsxWriter(const std::filesystem::path& file, const files::WriteOptions& options)
      : target_(file), file_(file, options) {
    lxw_workbook_options workbookOptions{};
    workbookOptions.constant_memory = LXW_TRUE;
    workbookOptions.use_zip64 = LXW_TRUE;
    workbook_.reset(Library().workbook_new_opt(file_.TemporaryPath().c_str(), &workbookOptions));
    if (workbook_ != nullptr) sheet_ = Library().workbook_add_worksheet(workbook_.get(), nullptr);
    if (sheet_ == nullptr) {
      Fail({.problem = BatchProblem::kCannotCreateXlsx});
    }
  }

  // Without a Commit, the workbook is closed into the temporary, which the
  // SafeFile then takes away.

  void WriteHeader(std::span<const std::string> names) override {
    StartRow();
    lxw_col_t column = 0;
    for (const std::string& name : names) Text(column++, name);
    for (std::string_view name : kResultColumns) Text(column++, std::string(name));
  }

  void WriteRow(std::span<const std::string> carried, const ResultCells& results) override {
    StartRow();
    lxw_col_t column = 0;
    for (const std::string& cell : carried) {
      if (const auto number = PlainNumber(cell)) {
        Check(Library().worksheet_write_number(sheet_, row_, column++, *number, nullptr));
      } else {
        Text(column++, cell);
      }
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
      if (IsFigureColumn(i)) {
        Figure(column++, results[i]);
      } else {
        Text(column++, results[i]);
      }
    }
  }

  void WriteTexts(std::span<const std::string> cells) override {
    StartRow();
    lxw_col_t column = 0;
    for (const std::string& cell : cells) Text(column++, cell);
  }

  void Commit(const BeforeReplace& beforeReplace) override {
    const lxw_error closed = Library().workbook_close(workbook_.release());
    if (closed != LXW_NO_ERROR) {
      Fail({.problem = BatchProblem::kCannotWrite, .detail = Library().lxw_strerror(closed)});
    }
    file_.CommitRecorded([&](const std::function<void()>& putInPlace) {
      if (beforeReplace) beforeReplace(file_.TemporaryPath(), putInPlace);
      return true;
    });
  }

 private:
  static const files::XlsxWriterLibrary& Library() { return files::XlsxWriterLib(); }

  [[noreturn]] void Fail(BatchErrorFacts facts) const {
    facts.file = target_.string();
    throw BatchFileError(std::move(facts));
  }

  void StartRow() {
    if (started_) ++row_;
    started_ = true;
    if (row_ >= kXlsxMaxRows) {
      Fail({.problem = BatchProblem::kOutputPastSheetRows});
    }
  }

  void Check(lxw_error error) {
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) {
      Fail({.problem = BatchProblem::kOutputCellTooLong, .row = row_ + 1});
    }
    if (error != LXW_NO_ERROR) {
      Fail({.problem = BatchProblem::kCannotWrite, .detail = Library().lxw_strerror(error)});
    }
  }

  void Text(lxw_col_t column, const std::string& text) {
    if (text.empty()) return;
    Check(Library().worksheet_write_string(sheet_, row_, column, text.c_str(), nullptr));
  }

  void Figure(lxw_col_t column, const std::string& text) {
    const auto value = NumberOf(text);
    const std::string format = value ? FormatShowing(text) : std::string();
    if (format.empty()) {
      Text(column, text);
      return;
    }
    lxw_format*& cached = formats_[format];
    if (cached == nullptr) {
      cached = Library().workbook_add_format(workbook_.get());
      Library().format_set_num_format(cached, format.c_str());
    }
    Check(Library().worksheet_write_number(sheet_, row_, column, *value, cached));
  }

  std::filesystem::path target_;
  files::SafeFile file_;
  // libxlsxwriter frees a workbook only by closing it, which writes it out:
  // into the temporary, which the SafeFile then removes.
  struct WorkbookCloser {
    void operator()(lxw_workbook* workbook) const { Library().workbook_close(workbook); }
  };
  std::unique_ptr<lxw_workbook, WorkbookCloser> workbook_;
  lxw_worksheet* sheet_ = nullptr;
  lxw_row_t row_ = 0;
  bool started_ = false;
  std::map<std::string, lxw_format*> formats_;
};

}  // namespace

std::unique_ptr<RowWriter> CreateXlsxWriter(const std::filesystem::path& file,
                                            const files::WriteOptions& options) {
  return std::make_unique<XlsxWriter>(file, options);
}

}  // namespace quillbary::batch
