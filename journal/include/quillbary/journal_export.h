// The journal as tables for a spreadsheet: CSV (UTF-8 with a byte-order mark,
// so Excel reads the Chinese; RFC 4180 quoting, CRLF line ends) and XLSX.
// Each file is written whole under a temporary name and then renamed into
// place, so a failure leaves no half-written file and an existing file at the
// path stays as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/journal.h"

namespace quillbary::journal {

struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

// One CSV field: `a,b` -> `"a,b"`, `say "hi"` -> `"say ""hi"""`, a line break
// inside quotes too. A text that a spreadsheet would take for a formula
// (starting with = + - @ and not a number) gets a leading ' so that opening
// the file runs nothing: `=1+1` -> `'=1+1`, while `-5` stays `-5`.
std::string CsvField(std::string_view text);

// Throws JournalError (kIo, kDiskFull) naming the path when it cannot write.
void WriteCsv(const std::filesystem::path& path, const Table& table);
void WriteXlsx(const std::filesystem::path& path, const Table& table);

// Every entry of the journal, one row each, every stored field in a column
// of its own (the figures by their items). Returns how many entries.
std::int64_t ExportJournalCsv(Journal& journal, const std::filesystem::path& path);

// The history's rows: 编号, 时间, 借款人, 借据号, 还款金额, 合计项目, 合计, 状态.
Table StatementsTable(const std::vector<StatementSummary>& rows);

}  // namespace quillbary::journal
