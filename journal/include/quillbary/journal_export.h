// The journal as tables for a spreadsheet: CSV (csv_text.h: UTF-8 with a
// byte-order mark, RFC 4180, no cell a spreadsheet would run) and XLSX
// (figures as numbers, every other cell a string). Each file goes through one files::SafeFile, so a
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

// How a column's cells are written to XLSX: figures that are plain
// decimals ("10000.00", "5.31", "181") as number cells, money as #,##0.00 and
// counts as 0; anything else, and every cell of a text column, as text.
enum class ColumnKind { kText, kMoney, kRate, kCount };

struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<ColumnKind> kinds;  // by column; a column past its end is text
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
// of its own (the figures by their items, as plain decimals: 还款金额
// "10000.00", 月利率(‰) "5.31"), its kind and 交付方式 in Chinese (出具,
// 补打, …; 复制, 打印, PDF), and for a statement its 状态 (有效 or 已作废)
// with the void's 作废原因 and 作废时间. Returns how many entries. Never
// writes over the journal itself.
std::int64_t ExportJournalCsv(Journal& journal, const std::filesystem::path& path);

// The history's statements, one row each: 编号, 时间, 借款人, 借据号,
// 经办人, the figures (money, rates and days as numbers), 合计名称, 合计,
// 状态 (有效 or 已作废), 作废原因, 作废时间, 交付方式 (the ways it was
// handed on, each once: "复制、补打"), 交付次数 (its hand-ons, reprints
// aside) and 补打次数.
Table StatementsTable(Journal& journal, const std::vector<StatementSummary>& rows);

}  // namespace quillbary::journal
