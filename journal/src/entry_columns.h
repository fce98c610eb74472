// The journal entry's columns, in the one table that every use of them comes
// from: the INSERT and the SELECT, the conversions between an Entry and the
// texts it is stored as, the columns a journal of each version must have, and
// the hash input. Adding a column is one row here (and one migration step).
//
// The hash of an entry is SHA-256, in lower-case hex, over its hashed
// columns in this table's order, each written `name=length:text;` where the
// length is the text's in bytes, in decimal (so "ab"+"c" never hashes as
// "a"+"bc"). A column whose `hashed` is kWhenSet is left out while its text
// is empty, so that a column added later changes no older entry's hash.
// For example, the void of statement 2026-000001, the journal's second entry:
//
//   seq=1:2;kind=4:void;serial=11:2026-000001;recorded_at=19:2026-12-09 14:05:31;
//   program_version=4:1.00;borrower=0:;loan_number=0:;clerk=0:;amount=0:;
//   total_caption=0:;total=0:;figures=0:;working=0:;made_at=0:;handed_on=0:;
//   pdf_path=0:;reason=6:重复;prev_hash=64:1111…1111;
//
// (one line, without the breaks; the reason is two characters of three bytes
// each, the previous hash 64 ones), whose SHA-256 the tests keep.
//
// NEVER change the names, the order or the stored texts of the columns
// hashed today, nor this format: every chain already written depends on
// them, and a changed byte makes every entry after it fail the check. A new
// column goes at the end with its `since` version, kWhenSet if it is hashed.
#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/journal.h"

namespace quillbary::journal {

class SqliteStatement;

struct EntryColumn {
  enum class Hashed { kNo, kAlways, kWhenSet };

  std::string_view name;
  std::string_view type;  // "INTEGER" or "TEXT"
  int since;              // the schema version that added it
  Hashed hashed;
  // The text stored for an entry, and an entry's field set from it. A column
  // derived from others (the amount from the figures) reads nothing back.
  std::string (*write)(const Entry& entry);
  void (*read)(Entry& entry, std::string_view text);
};

// Rows as "item<TAB>value" lines and lines as lines, with \ TAB and newline
// escaped so that any text comes back as it went in.
std::string EncodeRows(const std::vector<StatementRow>& rows);
std::vector<StatementRow> DecodeRows(std::string_view text);
std::string EncodeLines(const std::vector<std::string>& lines);
std::vector<std::string> DecodeLines(std::string_view text);

// A batch run as the rows its entry keeps in the figures column, in this
// order:
//   输入文件 /home/clerk/月末.csv
//   输入文件 SHA-256 9f86d08…
//   输出文件 /home/clerk/月末-结果.xlsx
//   输出文件 SHA-256 60303ae…
//   读取行数 5
//   有合计行数 2
//   有提示行数 1
//   有错误行数 2
//   合计之和 11123.96
std::vector<StatementRow> BatchRunRows(const BatchRunRecord& run);
// The batch run an entry's rows hold; fields of rows that are missing stay empty.
BatchRunRecord BatchRunFromRows(const std::vector<StatementRow>& rows);

std::string_view KindColumn(EntryKind kind);
EntryKind KindFromColumn(std::string_view word);
HandOnKind HandOnFromColumn(std::string_view word);
// The figure of that item ("还款金额"), or empty.
std::string FigureValue(const Statement& statement, std::string_view item);
// The total's row, caption and value: a statement's 利息合计 or 本息合计, a
// batch run's 合计之和; empty texts for the other kinds.
StatementRow TotalOf(const Entry& entry);

using Hashed = EntryColumn::Hashed;

inline constexpr auto kEntryColumns = std::to_array<EntryColumn>({
    {"seq", "INTEGER", 1, Hashed::kAlways, [](const Entry& e) { return std::to_string(e.seq); },
     [](Entry& e, std::string_view t) { std::from_chars(t.data(), t.data() + t.size(), e.seq); }},
    {"kind", "TEXT", 1, Hashed::kAlways,
     [](const Entry& e) { return std::string(KindColumn(e.kind)); },
     [](Entry& e, std::string_view t) { e.kind = KindFromColumn(t); }},
    {"serial", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.serial; },
     [](Entry& e, std::string_view t) { e.serial = t; }},
    {"recorded_at", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.recordedAt; },
     [](Entry& e, std::string_view t) { e.recordedAt = t; }},
    {"program_version", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.programVersion; },
     [](Entry& e, std::string_view t) { e.programVersion = t; }},
    {"borrower", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.header.borrower; },
     [](Entry& e, std::string_view t) { e.header.borrower = t; }},
    {"loan_number", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.header.loanNumber; },
     [](Entry& e, std::string_view t) { e.header.loanNumber = t; }},
    {"clerk", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.header.clerk; },
     [](Entry& e, std::string_view t) { e.header.clerk = t; }},
    // Derived from the figures, kept for the history's list.
    {"amount", "TEXT", 1, Hashed::kAlways,
     [](const Entry& e) { return FigureValue(e.statement, "还款金额"); },
     [](Entry&, std::string_view) {}},
    {"total_caption", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return TotalOf(e).item; },
     [](Entry&, std::string_view) {}},
    {"total", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return TotalOf(e).value; },
     [](Entry&, std::string_view) {}},
    // Read after kind: a batch run keeps its fields here as rows.
    {"figures", "TEXT", 1, Hashed::kAlways,
     [](const Entry& e) {
       return EncodeRows(e.kind == EntryKind::kBatchRun ? BatchRunRows(e.batchRun)
                                                        : e.statement.figures);
     },
     [](Entry& e, std::string_view t) {
       if (e.kind == EntryKind::kBatchRun) {
         e.batchRun = BatchRunFromRows(DecodeRows(t));
       } else {
         e.statement.figures = DecodeRows(t);
       }
     }},
    {"working", "TEXT", 1, Hashed::kAlways,
     [](const Entry& e) { return EncodeLines(e.statement.working); },
     [](Entry& e, std::string_view t) { e.statement.working = DecodeLines(t); }},
    // Read after kind: only a statement has a time it was made and signers.
    {"made_at", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.statement.madeAt.value; },
     [](Entry& e, std::string_view t) {
       if (e.kind != EntryKind::kStatement) return;
       e.statement.madeAt = {"制表时间", std::string(t)};
       e.statement.signers = {"经办人", "复核"};
     }},
    {"handed_on", "TEXT", 1, Hashed::kAlways,
     [](const Entry& e) { return HandOnWord(e.handOn.kind); },
     [](Entry& e, std::string_view t) { e.handOn.kind = HandOnFromColumn(t); }},
    {"pdf_path", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.handOn.pdfPath; },
     [](Entry& e, std::string_view t) { e.handOn.pdfPath = t; }},
    {"reason", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.reason; },
     [](Entry& e, std::string_view t) { e.reason = t; }},
    {"prev_hash", "TEXT", 1, Hashed::kAlways, [](const Entry& e) { return e.previousHash; },
     [](Entry& e, std::string_view t) { e.previousHash = t; }},
    {"hash", "TEXT", 1, Hashed::kNo, [](const Entry& e) { return e.hash; },
     [](Entry& e, std::string_view t) { e.hash = t; }},
});

// A column's place in kEntryColumns, found when compiling:
// columns[ColumnIndex("serial")].
consteval std::size_t ColumnIndex(std::string_view name) {
  for (std::size_t i = 0; i < kEntryColumns.size(); ++i) {
    if (kEntryColumns[i].name == name) return i;
  }
  throw "no such column";
}

// Every column's stored text, in kEntryColumns' order.
using ColumnValues = std::array<std::string, kEntryColumns.size()>;

// The texts stored for an entry, its hash column as entry.hash is.
ColumnValues ToColumns(const Entry& entry);
// The entry of stored texts.
Entry FromColumns(const ColumnValues& columns);

// The bytes the hash is taken over, and their SHA-256 (above).
std::string HashInput(const ColumnValues& columns);
std::string HashColumns(const ColumnValues& columns);

// "seq, kind, …, hash": every column, for a SELECT or an INSERT.
std::string ColumnList();
// The columns of the entries table in a journal of `version`, as
// pragma_table_xinfo gives them ("name TYPE notnull pk hidden"), the
// history's computed find_text after the first version's columns.
std::vector<std::string> ColumnsOfVersion(std::int64_t version);

// The previous hash of the first entry.
inline constexpr std::string_view kNoHash =
    "0000000000000000000000000000000000000000000000000000000000000000";

// "SELECT seq, kind, …, hash FROM entries ", for a WHERE or ORDER BY to
// follow, and the texts of a row it returned.
extern const std::string kSelectEntry;
ColumnValues ReadColumns(const SqliteStatement& row);

// The item of a batch run's rows that holds the sum of its totals.
inline constexpr std::string_view kBatchTotalItem = "合计之和";

}  // namespace quillbary::journal
