#include "entry_columns.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "quillbary/sha256.h"
#include "sqlite_statement.h"

namespace quillbary::journal {
namespace {

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
  }
  return out;
}

// Splits on '\n', keeping no empty tail: "a\nb\n" -> {"a", "b"}.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::string FigureValue(const Statement& statement, std::string_view item) {
  for (const StatementRow& row : statement.figures) {
    if (row.item == item) return row.value;
  }
  return {};
}

StatementRow TotalOf(const Entry& entry) {
  if (entry.kind == EntryKind::kBatchRun) {
    return {std::string(kBatchTotalItem), entry.batchRun.totalSum};
  }
  // A statement's total is the row just before 合计大写.
  const std::vector<StatementRow>& figures = entry.statement.figures;
  for (std::size_t i = 1; i < figures.size(); ++i) {
    if (figures[i].item == kCapitalsItem) return figures[i - 1];
  }
  return {};
}

HandOnKind HandOnFromColumn(std::string_view word) {
  if (word == "copy") return HandOnKind::kCopy;
  if (word == "print") return HandOnKind::kPrint;
  if (word == "pdf") return HandOnKind::kPdf;
  return HandOnKind::kNone;
}

std::string_view KindColumn(EntryKind kind) {
  switch (kind) {
    case EntryKind::kStatement:
      return "statement";
    case EntryKind::kHandOnAgain:
      return "handon";
    case EntryKind::kVoid:
      return "void";
    case EntryKind::kReprint:
      return "reprint";
    case EntryKind::kBatchRun:
      return "batch";
  }
  return "statement";
}

EntryKind KindFromColumn(std::string_view word) {
  if (word == "handon") return EntryKind::kHandOnAgain;
  if (word == "void") return EntryKind::kVoid;
  if (word == "reprint") return EntryKind::kReprint;
  if (word == "batch") return EntryKind::kBatchRun;
  return EntryKind::kStatement;
}

std::string EncodeRows(const std::vector<StatementRow>& rows) {
  std::string text;
  for (const StatementRow& row : rows) text += Escape(row.item) + '\t' + Escape(row.value) + '\n';
  return text;
}

std::vector<StatementRow> DecodeRows(std::string_view text) {
  std::vector<StatementRow> rows;
  for (const std::string_view line : Lines(text)) {
    const std::size_t tab = line.find('\t');
    rows.push_back({Unescape(line.substr(0, tab)), tab == std::string_view::npos
                                                       ? std::string()
                                                       : Unescape(line.substr(tab + 1))});
  }
  return rows;
}

std::string EncodeLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += Escape(line) + '\n';
  return text;
}

std::vector<std::string> DecodeLines(std::string_view text) {
  std::vector<std::string> lines;
  for (const std::string_view line : Lines(text)) lines.push_back(Unescape(line));
  return lines;
}

ColumnValues ToColumns(const Entry& entry) {
  ColumnValues columns;
  for (std::size_t i = 0; i < kEntryColumns.size(); ++i) columns[i] = kEntryColumns[i].write(entry);
  return columns;
}

Entry FromColumns(const ColumnValues& columns) {
  Entry entry;
  for (std::size_t i = 0; i < kEntryColumns.size(); ++i) kEntryColumns[i].read(entry, columns[i]);
  return entry;
}

std::string HashInput(const ColumnValues& columns) {
  std::string input;
  for (std::size_t i = 0; i < kEntryColumns.size(); ++i) {
    const EntryColumn& column = kEntryColumns[i];
    if (column.hashed == Hashed::kNo) continue;
    if (column.hashed == Hashed::kWhenSet && columns[i].empty()) continue;
    input.append(column.name)
        .append("=")
        .append(std::to_string(columns[i].size()))
        .append(":")
        .append(columns[i])
        .append(";");
  }
  return input;
}

std::string HashColumns(const ColumnValues& columns) {
  files::Sha256 hash;
  hash.Add(HashInput(columns));
  return hash.HexDigest();
}

std::string ColumnList() {
  std::string list;
  for (const EntryColumn& column : kEntryColumns) {
    if (!list.empty()) list.append(", ");
    list.append(column.name);
  }
  return list;
}

std::vector<std::string> ColumnsOfVersion(std::int64_t version) {
  const auto describe = [](const EntryColumn& column) {
    const bool key = column.name == "seq";
    return std::string(column.name) + " " + std::string(column.type) + (key ? " 0 1 0" : " 1 0 0");
  };
  std::vector<std::string> columns;
  for (const EntryColumn& column : kEntryColumns) {
    if (column.since == 1) columns.push_back(describe(column));
  }
  // The history's computed find_text (hidden 2: generated, virtual) was made
  // with the first version's columns; columns added later follow it.
  columns.push_back("find_text TEXT 0 0 2");
  for (const EntryColumn& column : kEntryColumns) {
    if (column.since > 1 && column.since <= version) columns.push_back(describe(column));
  }
  return columns;
}

const std::string kSelectEntry = "SELECT " + ColumnList() + " FROM entries ";

ColumnValues ReadColumns(const SqliteStatement& row) {
  ColumnValues columns;
  for (std::size_t i = 0; i < columns.size(); ++i) columns[i] = row.Text(static_cast<int>(i));
  return columns;
}


std::string HandOnWord(HandOnKind kind) {
  switch (kind) {
    case HandOnKind::kCopy:
      return "copy";
    case HandOnKind::kPrint:
      return "print";
    case HandOnKind::kPdf:
      return "pdf";
    case HandOnKind::kNone:
      return "";
  }
  return "";
}

std::string HandOnName(HandOnKind kind) {
  switch (kind) {
    case HandOnKind::kCopy:
      return "复制";
    case HandOnKind::kPrint:
      return "打印";
    case HandOnKind::kPdf:
      return "PDF";
    case HandOnKind::kNone:
      return "";
  }
  return "";
}

std::string EntryKindWord(EntryKind kind) {
  switch (kind) {
    case EntryKind::kStatement:
      return "出具";
    case EntryKind::kHandOnAgain:
      return "再次交付";
    case EntryKind::kVoid:
      return "作废";
    case EntryKind::kReprint:
      return "补打";
    case EntryKind::kBatchRun:
      return "批量计算";
  }
  return "";
}


std::string HashInputOf(const Entry& entry) { return HashInput(ToColumns(entry)); }

std::optional<Entry> EntryFromHashInput(std::string_view input) {
  ColumnValues columns;
  std::string_view rest = input;
  while (!rest.empty()) {
    const std::size_t equals = rest.find('=');
    const std::size_t colon = rest.find(':');
    if (equals == std::string_view::npos || colon == std::string_view::npos || colon < equals) {
      return std::nullopt;
    }
    const std::string_view name = rest.substr(0, equals);
    std::size_t length = 0;
    const char* digits = rest.data() + equals + 1;
    const auto [end, error] = std::from_chars(digits, rest.data() + colon, length);
    if (error != std::errc() || end != rest.data() + colon || length >= rest.size() - colon ||
        rest[colon + 1 + length] != ';') {
      return std::nullopt;
    }
    const auto column = std::find_if(kEntryColumns.begin(), kEntryColumns.end(),
                                     [name](const EntryColumn& c) { return c.name == name; });
    if (column == kEntryColumns.end() || column->hashed == EntryColumn::Hashed::kNo) {
      return std::nullopt;
    }
    columns[static_cast<std::size_t>(column - kEntryColumns.begin())] =
        std::string(rest.substr(colon + 1, length));
    rest.remove_prefix(colon + 2 + length);
  }
  Entry entry = FromColumns(columns);
  if (HashInputOf(entry) != input) return std::nullopt;  // out of order, or twice
  entry.hash = HashColumns(columns);
  return entry;
}

std::string StoredColumn(const Entry& entry, std::string_view column) {
  for (const EntryColumn& each : kEntryColumns) {
    if (each.name == column) return each.write(entry);
  }
  return {};
}

}  // namespace quillbary::journal
