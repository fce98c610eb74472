// The journal as tables for a spreadsheet: CSV (csv_text.h: UTF-8 with a
// byte-order mark, RFC 4180, no cell a spreadsheet would run) and XLSX (every
// cell an inline string). Each file goes through one files::SafeFile, so a
// failure leaves no half-written file, an existing file at the path stays as
// it was, and nothing but a regular file is ever replaced.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/journal.h"
#include "quillbary/safe_file.h"

namespace quillbary::journal {

struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

// Throws JournalError (kIo, kDiskFull) naming the path when it cannot write
// or the path is refused (a folder, a file in options.kept, ...).
void WriteCsv(const std::filesystem::path& path, const Table& table,
              const files::WriteOptions& options = {});
void WriteXlsx(const std::filesystem::path& path, const Table& table,
               const files::WriteOptions& options = {});

// What a write beside `journal` must never replace: its file, -wal and -shm.
files::WriteOptions KeptBy(const Journal& journal);

// Every entry of the journal, one row each, every stored field in a column
// of its own (the figures by their items). Returns how many entries. Never
// writes over the journal itself.
std::int64_t ExportJournalCsv(Journal& journal, const std::filesystem::path& path);

// The history's rows: 编号, 时间, 借款人, 借据号, 还款金额, 合计项目, 合计, 状态.
Table StatementsTable(const std::vector<StatementSummary>& rows);

}  // namespace quillbary::journal
