// The files of a batch run: reading rows from one, writing rows to another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillbary/batch_error.h"
#include "quillbary/batch_row.h"
#include "quillbary/batch_run.h"
#include "quillbary/safe_file.h"

namespace quillbary::batch {

// What a cell of a sheet is, so that an output sheet writes it back alike.
enum class CellKind : unsigned char { kText, kNumber, kDate, kBoolean };

// Rows of cells (UTF-8 texts), the header first, read as they are needed.
class RowReader {
 public:
  virtual ~RowReader() = default;
  // The next row into `cells` (resized to the row's cells); false at the end.
  // Throws BatchFileError for a file that cannot be read on.
  virtual bool Next(std::vector<std::string>& cells) = 0;
  // What the cells of the row Next() gave are, into `kinds` (one for each
  // cell, or fewer: a cell past the end is text). Empty for a file whose
  // cells are all texts (CSV).
  virtual void Kinds(std::vector<CellKind>& kinds) const { kinds.clear(); }
  // The number the clerk finds the last row under: the line in a CSV file,
  // the row number in a sheet.
  virtual std::int64_t RowNumber() const = 0;
  // How much of the file has been read, 0 to 1.
  virtual double Fraction() const = 0;
  // Whether a row with fewer cells than the header is an error (a CSV row is
  // ragged) or only has empty cells at its end (a sheet leaves them out).
  virtual bool ShortRowIsRagged() const = 0;
  // The SHA-256 (lower-case hex) of the file's bytes as this reader read
  // them, so that a run records the very file it calculated; complete once
  // Next() has returned false.
  virtual std::string Sha256() const = 0;
};

// Told of the whole file, synced to disk under its temporary name, before it
// takes the target's place. It calls putInPlace() to rename it over the
// target (inside the transaction that records the write, say); when it
// returns without doing so, Commit does it after. Throwing from it, before
// or after putInPlace(), leaves no file and the target as it was.
using BeforeReplace = std::function<void(const std::filesystem::path& whole,
                                         const std::function<void()>& putInPlace)>;

// Writes the header and the rows, in order, through one files::SafeFile
// (safe_file.h: never over what is not a regular file nor over a file in
// `options.kept`); Commit puts it in the target's place at once. A writer
// destroyed without Commit leaves no file behind and the target as it was.
// Throws files::FileError when the file cannot be written.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  // The input's columns followed by kResultColumns.
  virtual void WriteHeader(std::span<const std::string> names) = 0;
  // `kinds` says what each carried cell was in the input (batch reader's
  // Kinds(); empty for a file of texts).
  virtual void WriteRow(std::span<const std::string> carried, std::span<const CellKind> kinds,
                        const ResultCells& results) = 0;
  // A row of texts only, without the result columns (the template's rows).
  virtual void WriteTexts(std::span<const std::string> cells) = 0;
  // The run's summary, a label and a value a line, where the file has room for
  // it (a second sheet 汇总 of a workbook; a CSV file has none). Called once,
  // after the last row and before Commit.
  virtual void WriteSummary(std::span<const SummaryLine> /*lines*/) {}
  virtual void Commit(const BeforeReplace& beforeReplace = {}) = 0;

  // A writer whose rows are bytes of their own (CSV) lets the calculating
  // threads encode them, appending to `out`, and WriteEncoded write them in
  // order; the others write row by row.
  virtual bool EncodesRows() const { return false; }
  virtual void EncodeRow(std::span<const std::string> /*carried*/, const ResultCells& /*results*/,
                         std::string& /*out*/) const {}
  virtual void WriteEncoded(std::string_view /*bytes*/) {}
};

// A CSV file: UTF-8 with a BOM, GB18030 with its BOM, or, without one,
// UTF-8 when the whole file is valid UTF-8, else GB18030. Fields as RFC 4180
// writes them (quotes, doubled quotes, separators and line breaks inside
// quotes), lines ended by CRLF or LF. Refuses what is not a regular file,
// UTF-16 (it is named, so it can be saved again as UTF-8), an
// encrypted workbook or an old .xls, NUL bytes, bytes of no encoding, a cell
// over 1 MB, a row of more than kMaxColumns cells, a quote left open, and a
// file changed while it is read, naming the line.
std::unique_ptr<RowReader> OpenCsvReader(const std::filesystem::path& file);

// A CSV file in UTF-8 with a BOM, lines ended by CRLF; a field with a comma,
// a quote or a line break is quoted.
// Cells are guarded so that a spreadsheet opening the file runs nothing
// (csv_text.h: "=HYPERLINK(…)" is written "'=HYPERLINK(…)").
std::unique_ptr<RowWriter> CreateCsvWriter(const std::filesystem::path& file,
                                           const files::WriteOptions& options = {});

// The first sheet of an XLSX workbook: shared and inline strings, numbers as
// their shortest round-trip decimal text in plain digits ("100000", "5.31",
// "0.00000015"; never "1e+05"), date cells (a
// number under a date format) as "YYYY-MM-DD", booleans as TRUE/FALSE.
// A workbook is a zip of XML that may unfold to far more than its size, so
// its reading is bounded: cell positions within A1:XFD1048576 and in order,
// the shared strings' count and bytes, a row's text, and the XML and the
// cells and text of the sheet against the file's own size. Refuses a DTD
// (entity declarations), duplicate names in the zip, and a file changed
// while it is read.
std::unique_ptr<RowReader> OpenXlsxReader(const std::filesystem::path& file);

// An XLSX workbook written row by row in constant memory: the rows on a
// first sheet, its header row frozen and under a filter, each column as
// wide as its header (and a date) needs; the summary on a second sheet 汇总.
// Texts are text cells; the figures are number cells, money under
// "#,##0.00", days under "0", a rate under the format that shows its digits
// ("7.965" under "0.000"); a figure that is no number stays a text cell.
// A carried cell of a sheet is written as it was read (a number cell as the
// same number, a date as a date, a boolean as a boolean); a carried CSV text
// that is a number as a sheet writes it ("10000") becomes a number cell.
// Refuses, before writing a truncated sheet, a row past Excel's 1,048,576
// rows. Texts are always inline strings, never formulas.
std::unique_ptr<RowWriter> CreateXlsxWriter(const std::filesystem::path& file,
                                            const files::WriteOptions& options = {});

// The most rows a sheet holds, the header's included.
inline constexpr std::int64_t kXlsxMaxRows = 1'048'576;
// The most cells a row holds, A to XFD, in a sheet and in a CSV file alike.
inline constexpr std::size_t kMaxColumns = 16'384;

}  // namespace quillbary::batch
