// An entry as the columns it is stored in, and its hash over them. The hash
// is taken over the stored texts, so that checking the chain needs no
// decoding and any change to any stored text shows.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/journal.h"

namespace quillbary::journal {

// Every column the hash covers, in the order it covers them; `hash` itself
// follows them in the table.
inline constexpr std::array<std::string_view, 18> kHashedColumns = {
    "seq",         "kind",    "serial",    "recorded_at",   "program_version", "borrower",
    "loan_number", "clerk",   "amount",    "total_caption", "total",           "figures",
    "working",     "made_at", "handed_on", "pdf_path",      "reason",          "prev_hash"};

using ColumnValues = std::array<std::string, kHashedColumns.size()>;

ColumnValues ToColumns(const Entry& entry);
// The entry of stored columns and its stored hash.
Entry FromColumns(const ColumnValues& columns, std::string hash);

// SHA-256 in lower-case hex over each column's name, length and text.
std::string HashColumns(const ColumnValues& columns);

// Rows as "item<TAB>value" lines and lines as lines, with \ TAB and newline
// escaped so that any text comes back as it went in.
std::string EncodeRows(const std::vector<StatementRow>& rows);
std::vector<StatementRow> DecodeRows(std::string_view text);
std::string EncodeLines(const std::vector<std::string>& lines);
std::vector<std::string> DecodeLines(std::string_view text);

// The item of a batch run's rows that holds the sum of its totals.
inline constexpr std::string_view kBatchTotalItem = "合计之和";

std::string_view KindColumn(EntryKind kind);
EntryKind KindFromColumn(std::string_view word);

}  // namespace quillbary::journal
