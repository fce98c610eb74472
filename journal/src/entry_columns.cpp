#include "entry_columns.h"

#include <charconv>
#include <cstdint>

#include "quillbary/sha256.h"

namespace quillbary::journal {
namespace {

constexpr std::string_view kCapitalsItemName = kCapitalsItem;

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

std::string FigureValue(const Statement& statement, std::string_view item) {
  for (const StatementRow& row : statement.figures) {
    if (row.item == item) return row.value;
  }
  return {};
}

// The total's row: the one just before 合计大写 ("利息合计" or "本息合计").
const StatementRow* TotalRow(const Statement& statement) {
  for (std::size_t i = 1; i < statement.figures.size(); ++i) {
    if (statement.figures[i].item == kCapitalsItemName) return &statement.figures[i - 1];
  }
  return nullptr;
}

std::string HandOnColumn(HandOnKind kind) {
  return HandOnWord(kind);
}

HandOnKind HandOnFromColumn(std::string_view word) {
  if (word == "copy") return HandOnKind::kCopy;
  if (word == "print") return HandOnKind::kPrint;
  if (word == "pdf") return HandOnKind::kPdf;
  return HandOnKind::kNone;
}

}  // namespace

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

ColumnValues ToColumns(const Entry& e) {
  // A batch run's total is the sum of its rows' totals.
  const StatementRow batchTotal{std::string(kBatchTotalItem),
                                FigureValue(e.statement, kBatchTotalItem)};
  const StatementRow* total = e.kind == EntryKind::kBatchRun ? &batchTotal : TotalRow(e.statement);
  return {std::to_string(e.seq),
          std::string(KindColumn(e.kind)),
          e.serial,
          e.recordedAt,
          e.programVersion,
          e.header.borrower,
          e.header.loanNumber,
          e.header.clerk,
          FigureValue(e.statement, "还款金额"),
          total ? total->item : std::string(),
          total ? total->value : std::string(),
          EncodeRows(e.statement.figures),
          EncodeLines(e.statement.working),
          e.statement.madeAt.value,
          HandOnColumn(e.handOn.kind),
          e.handOn.pdfPath,
          e.reason,
          e.previousHash};
}

Entry FromColumns(const ColumnValues& c, std::string hash) {
  Entry e;
  std::from_chars(c[0].data(), c[0].data() + c[0].size(), e.seq);
  e.kind = KindFromColumn(c[1]);
  e.serial = c[2];
  e.recordedAt = c[3];
  e.programVersion = c[4];
  e.header = {c[5], c[6], c[7]};
  e.statement.figures = DecodeRows(c[11]);
  e.statement.working = DecodeLines(c[12]);
  if (e.kind == EntryKind::kStatement) {
    e.statement.madeAt = {"制表时间", c[13]};
    e.statement.signers = {"经办人", "复核"};
  }
  e.handOn = {HandOnFromColumn(c[14]), c[15]};
  e.reason = c[16];
  e.previousHash = c[17];
  e.hash = std::move(hash);
  return e;
}

std::string HashColumns(const ColumnValues& columns) {
  files::Sha256 hash;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    // name=length:text; — the length keeps "ab"+"c" apart from "a"+"bc".
    hash.Add(kHashedColumns[i]);
    hash.Add("=");
    hash.Add(std::to_string(columns[i].size()));
    hash.Add(":");
    hash.Add(columns[i]);
    hash.Add(";");
  }
  return hash.HexDigest();
}

}  // namespace quillbary::journal
