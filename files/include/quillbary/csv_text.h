// The text of a CSV file as this program writes it: UTF-8 with a byte-order
// mark (so that Excel reads the Chinese), RFC 4180 quoting, lines ended by
// CRLF, and no cell that a spreadsheet would run.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "quillbary/safe_file.h"

namespace quillbary::files {

// What a CSV file starts with: the UTF-8 byte-order mark.
inline constexpr std::string_view kCsvStart = "\xEF\xBB\xBF";

// Whether the whole text is a finite decimal number a spreadsheet may read
// as one: "-5", "+5.31", "10000", "1.5E+20"; not "-inf", "nan", "0x1A",
// "-2+3", "".
bool IsPlainNumber(std::string_view text);

// A cell's text made harmless: a text starting with =, +, -, @, a tab or a
// carriage return gets a leading ' unless it is a plain number, so that
// opening the file runs nothing: "=HYPERLINK(…)" -> "'=HYPERLINK(…)",
// "-2+3" -> "'-2+3", "-inf" -> "'-inf", while "-5" stays "-5".
std::string GuardedCell(std::string_view text);

// Appends one field: guarded, then quoted when it holds a comma, a quote or
// a line break: `a,b` -> `"a,b"`, `say "hi"` -> `"say ""hi"""`. A comma goes
// before it unless it is the line's first.
void AppendCsvField(std::string_view text, bool first, std::string& out);

// Appends the fields as one line ending in CRLF.
void AppendCsvLine(std::span<const std::string> fields, std::string& out);

// A CSV file being written through a SafeFile, a megabyte at a time: the
// byte-order mark, then lines. Commit() puts it in place; a caller that
// records the write first takes Flushed() and finishes the SafeFile itself.
class CsvFile {
 public:
  CsvFile(const std::filesystem::path& target, const WriteOptions& options);
  void AddLine(std::span<const std::string> fields);
  // Lines already encoded by AppendCsvLine or AppendCsvField.
  void AddBytes(std::string_view lines);
  // The file, with every line added written to it.
  SafeFile& Flushed();
  void Commit() { Flushed().Commit(); }

 private:
  void FlushIfFull();

  SafeFile file_;
  std::string buffer_;
};

}  // namespace quillbary::files
