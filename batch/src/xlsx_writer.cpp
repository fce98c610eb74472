// The XLSX writer: libxlsxwriter in constant-memory mode, each row written
// out as it comes, into the SafeFile's temporary, put in the target's place at
// the end.
#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <string>

#include "quillbary/batch_file.h"
#include "quillbary/path_text.h"
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

// A carried text of a CSV file that is a number as a sheet writes it
// ("10000", "5.31", "0.00000015"), i.e. the shortest plain text of its
// value, and so safe to store as a number: "10000.0", "007" and "1e5" stay
// texts.
std::optional<double> PlainNumber(std::string_view text) {
  if (text.empty() || text.size() > 400 || text.find_first_not_of("-.0123456789") != text.npos) {
    return std::nullopt;
  }
  const auto value = NumberOf(text);
  if (!value) return std::nullopt;
  char shortest[400];
  const auto written =
      std::to_chars(shortest, shortest + sizeof shortest, *value, std::chars_format::fixed);
  if (written.ec != std::errc() || std::string_view(shortest, written.ptr - shortest) != text) {
    return std::nullopt;
  }
  return value;
}

// A date cell's text as the reader writes it, "YYYY-MM-DD".
std::optional<lxw_datetime> DateOf(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto part = [&](std::size_t at, std::size_t length) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, value);
    return error == std::errc() && end == text.data() + at + length ? value : -1;
  };
  const int year = part(0, 4), month = part(5, 2), day = part(8, 2);
  if (year < 1900 || month < 1 || day < 1) return std::nullopt;
  return lxw_datetime{year, month, day, 0, 0, 0};
}

// The number format a figure is shown in: money with thousands and two
// decimals, days whole, a rate with the decimals it has ("7.965" ->
// "0.000").
std::string FigureFormat(FigureKind kind, std::string_view plain) {
  switch (kind) {
    case FigureKind::kMoney:
      return "#,##0.00";
    case FigureKind::kDays:
      return "0";
    case FigureKind::kRate:
      return FormatShowing(plain);
    case FigureKind::kNone:
      break;
  }
  return {};
}

// How wide a column is drawn, in characters: its header's width (a Chinese
// character is two) and room for the filter's button, and never narrower
// than a date.
double ColumnWidth(std::string_view header, double least = 12) {
  double width = 0;
  for (std::size_t i = 0; i < header.size(); ++i) {
    const auto byte = static_cast<unsigned char>(header[i]);
    if ((byte & 0xC0) == 0x80) continue;  // inside a character
    width += byte < 0x80 ? 1 : 2;
  }
  return std::max(width + 3, least);
}

// The result columns whose texts run long (the capitals, the warnings and
// the error) start wide enough for a usual one.
double LeastWidth(std::size_t result) {
  return result == kTotalInCapitals || result == kWarnings || result == kError ? 30 : 12;
}

class XlsxWriter final : public RowWriter {
 public:
  XlsxWriter(const std::filesystem::path& file, const files::WriteOptions& options)
      : target_(file), file_(file, options) {
    lxw_workbook_options workbookOptions{};
    workbookOptions.constant_memory = LXW_TRUE;
    workbookOptions.use_zip64 = LXW_TRUE;
    // The rows wait in files of libxlsxwriter's own until the workbook is
    // closed: in the write's private folder, not where tmpfile() puts them
    // (on Windows, the root of drive C:, which a clerk may not write).
    const std::string folder = files::Utf8Of(file_.TemporaryPath().parent_path());
    workbookOptions.tmpdir = const_cast<char*>(folder.c_str());
    workbook_.reset(Library().workbook_new_opt(files::Utf8Of(file_.TemporaryPath()).c_str(),
                                               &workbookOptions));
    if (workbook_ != nullptr) sheet_ = Library().workbook_add_worksheet(workbook_.get(), nullptr);
    if (sheet_ == nullptr) {
      Fail({.problem = BatchProblem::kCannotCreateXlsx});
    }
  }

  // Without a Commit, the workbook is closed (workbook_'s closer) into the
  // temporary, which the SafeFile then takes away.

  // The header row is bold, stays in view (frozen) and carries the filter's buttons;
  // each column is as wide as its header, and a date, need.
  void WriteHeader(std::span<const std::string> names) override {
    StartRow();
    lxw_col_t column = 0;
    lxw_format* bold = Library().workbook_add_format(workbook_.get());
    Library().format_set_bold(bold);
    const auto header = [&](std::string_view name, double least) {
      Text(column, std::string(name), bold);
      Check(Library().worksheet_set_column(sheet_, column, column, ColumnWidth(name, least),
                                           nullptr));
      ++column;
    };
    for (const std::string& name : names) header(name, 12);
    for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
      header(kResultColumns[i], LeastWidth(i));
    }
    columns_ = column;
    Library().worksheet_freeze_panes(sheet_, 1, 0);
  }

  void WriteRow(std::span<const std::string> carried, std::span<const CellKind> kinds,
                const ResultCells& results) override {
    StartRow();
    lxw_col_t column = 0;
    for (std::size_t i = 0; i < carried.size(); ++i) {
      if (kinds.empty()) {
        CsvCell(column++, carried[i]);
      } else {
        Carried(column++, carried[i], i < kinds.size() ? kinds[i] : CellKind::kText);
      }
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
      const FigureKind kind = FigureOf(i);
      if (kind != FigureKind::kNone) {
        Figure(column++, results[i], kind);
      } else {
        Text(column++, results[i]);
      }
    }
  }

  // A second sheet 汇总: a label and its value a row, counts and sums as
  // numbers.
  void WriteSummary(std::span<const SummaryLine> lines) override {
    lxw_worksheet* summary = Library().workbook_add_worksheet(workbook_.get(), "汇总");
    if (summary == nullptr) Fail({.problem = BatchProblem::kCannotCreateXlsx});
    Check(Library().worksheet_set_column(summary, 0, 0, 16, nullptr));
    Check(Library().worksheet_set_column(summary, 1, 1, 20, nullptr));
    lxw_row_t row = 0;
    for (const SummaryLine& line : lines) {
      Check(Library().worksheet_write_string(summary, row, 0, line.label.c_str(), nullptr));
      const auto value = NumberOf(line.value);
      if (value) {
        Check(Library().worksheet_write_number(summary, row, 1, *value,
                                               Format(line.isCount ? "0" : "#,##0.00")));
      } else {
        Check(Library().worksheet_write_string(summary, row, 1, line.value.c_str(), nullptr));
      }
      ++row;
    }
  }

  void WriteTexts(std::span<const std::string> cells) override {
    StartRow();
    lxw_col_t column = 0;
    for (const std::string& cell : cells) Text(column++, cell);
  }

  void Commit(const BeforeReplace& beforeReplace) override {
    if (columns_ > 0) Check(Library().worksheet_autofilter(sheet_, 0, 0, row_, columns_ - 1));
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
    facts.file = files::Utf8Of(target_);
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

  void Text(lxw_col_t column, const std::string& text, lxw_format* format = nullptr) {
    if (text.empty()) return;
    Check(Library().worksheet_write_string(sheet_, row_, column, text.c_str(), format));
  }

  // A figure in plain decimal (figure_text.h) as a number cell; a figure
  // that is no number stays text.
  void Figure(lxw_col_t column, const std::string& text, FigureKind kind) {
    const auto value = NumberOf(text);
    const std::string format = value ? FigureFormat(kind, text) : std::string();
    if (format.empty()) {
      Text(column, text);
      return;
    }
    Check(Library().worksheet_write_number(sheet_, row_, column, *value, Format(format)));
  }

  // A cell of the input sheet, as it was there: a number cell's plain text
  // (the reader's) gives its very value back; a date is a date cell again.
  void Carried(lxw_col_t column, const std::string& text, CellKind kind) {
    switch (kind) {
      case CellKind::kNumber:
        if (const auto number = NumberOf(text)) {
          Check(Library().worksheet_write_number(sheet_, row_, column, *number, nullptr));
          return;
        }
        break;
      case CellKind::kDate:
        if (auto date = DateOf(text)) {
          Check(Library().worksheet_write_datetime(sheet_, row_, column, &*date,
                                                   Format("yyyy-mm-dd")));
          return;
        }
        break;
      case CellKind::kBoolean:
        Check(Library().worksheet_write_boolean(sheet_, row_, column, text == "TRUE", nullptr));
        return;
      case CellKind::kText:
        break;
    }
    Text(column, text);
  }

  // A cell of a CSV file: a number as a sheet writes it becomes a number.
  void CsvCell(lxw_col_t column, const std::string& text) {
    if (const auto number = PlainNumber(text)) {
      Check(Library().worksheet_write_number(sheet_, row_, column, *number, nullptr));
    } else {
      Text(column, text);
    }
  }

  // One format object for each number format, made once.
  lxw_format* Format(const std::string& numberFormat) {
    lxw_format*& cached = formats_[numberFormat];
    if (cached == nullptr) {
      cached = Library().workbook_add_format(workbook_.get());
      Library().format_set_num_format(cached, numberFormat.c_str());
    }
    return cached;
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
  lxw_col_t columns_ = 0;  // the header's, once written
  bool started_ = false;
  std::map<std::string, lxw_format*> formats_;
};

}  // namespace

std::unique_ptr<RowWriter> CreateXlsxWriter(const std::filesystem::path& file,
                                            const files::WriteOptions& options) {
  return std::make_unique<XlsxWriter>(file, options);
}

}  // namespace quillbary::batch
