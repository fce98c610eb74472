#include "quillbary/journal_export.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <tuple>
#include <unordered_map>

#include "entry_columns.h"
#include "plain_figure.h"
#include "quillbary/csv_text.h"
#include "quillbary/path_text.h"
#include "quillbary/xlsxwriter_library.h"

namespace quillbary::journal {
namespace {

// The statement's figures the exports show, each under its heading, with the
// item it is stored under and how a spreadsheet should read it.
struct FigureColumn {
  const char* heading;
  const char* item;
  ColumnKind kind;
};
constexpr FigureColumn kFigureColumns[] = {
    {"借款日期", "借款日期", ColumnKind::kText},    {"到期日期", "到期日期", ColumnKind::kText},
    {"还款日期", "还款日期", ColumnKind::kText},    {"起息日期", "起息日期", ColumnKind::kText},
    {"还款金额", "还款金额", ColumnKind::kMoney},   {"月利率(‰)", "月利率", ColumnKind::kRate},
    {"还款方式", "还款方式", ColumnKind::kText},    {"正常天数", "正常天数", ColumnKind::kCount},
    {"正常利息", "正常利息", ColumnKind::kMoney},   {"逾期天数", "逾期天数", ColumnKind::kCount},
    {"逾期利率(‰)", "逾期利率", ColumnKind::kRate}, {"逾期利息", "逾期利息", ColumnKind::kMoney},
};

// Headings and kinds, built up column by column.
struct Columns {
  std::vector<std::string> header;
  std::vector<ColumnKind> kinds;
  void Add(std::string heading, ColumnKind kind = ColumnKind::kText) {
    header.push_back(std::move(heading));
    kinds.push_back(kind);
  }
  void AddFigures() {
    for (const FigureColumn& figure : kFigureColumns) Add(figure.heading, figure.kind);
  }
};

// The figures' cells of a statement, plain where they are numbers.
void AddFigures(std::vector<std::string>& row, const Statement& statement) {
  for (const FigureColumn& figure : kFigureColumns) {
    const std::string shown = FigureValue(statement, figure.item);
    row.push_back(figure.kind == ColumnKind::kText ? shown : PlainFigure(shown));
  }
}

// A statement's void, when it has one.
struct VoidFacts {
  std::string reason;
  std::string at;
};
using Voids = std::unordered_map<std::string, VoidFacts>;

std::string StatusWord(bool voided) {
  return voided ? "已作废" : "有效";
}

Columns EntryColumns() {
  Columns columns;
  for (const char* heading :
       {"序号", "类型", "编号", "记录时间", "程序版本", "借款人", "借据号", "经办人"}) {
    columns.Add(heading);
  }
  columns.kinds[0] = ColumnKind::kCount;
  columns.AddFigures();
  columns.Add("合计名称");
  columns.Add("合计", ColumnKind::kMoney);
  for (const char* heading : {"合计大写", "计算过程", "制表时间", "交付方式", "PDF 路径", "状态",
                              "作废原因", "作废时间", "前一条哈希", "哈希"}) {
    columns.Add(heading);
  }
  return columns;
}

std::vector<std::string> EntryRow(const Entry& e, const Voids& voids) {
  std::vector<std::string> row = {std::to_string(e.seq), EntryKindWord(e.kind), e.serial,
                                  e.recordedAt,          e.programVersion,      e.header.borrower,
                                  e.header.loanNumber,   e.header.clerk};
  AddFigures(row, e.statement);
  std::string working;
  const auto addLine = [&working](const std::string& line) {
    working += (working.empty() ? "" : "\n") + line;
  };
  if (e.kind == EntryKind::kBatchRun) {
    // Its files, digests and counts, one "item：value" a line, where a
    // statement has its working; the sum of the totals is its total.
    for (const StatementRow& row : BatchRunRows(e.batchRun)) {
      if (row.item != kBatchTotalItem) addLine(row.item + "：" + row.value);
    }
  }
  for (const std::string& line : e.statement.working) addLine(line);
  const StatementRow total = TotalOf(e);
  // A statement's row says whether it is in force; a void's row gives its own
  // reason and time.
  std::string status, voidReason = e.reason, voidAt;
  if (e.kind == EntryKind::kStatement) {
    const auto found = voids.find(e.serial);
    status = StatusWord(found != voids.end());
    if (found != voids.end())
      std::tie(voidReason, voidAt) = std::tie(found->second.reason, found->second.at);
  } else if (e.kind == EntryKind::kVoid) {
    voidAt = e.recordedAt;
  }
  row.insert(row.end(),
             {total.item, PlainFigure(total.value), FigureValue(e.statement, kCapitalsItem),
              working, e.statement.madeAt.value, HandOnName(e.handOn.kind), e.handOn.pdfPath,
              status, voidReason, voidAt, e.previousHash, e.hash});
  return row;
}

// Each file goes through one SafeFile; its failures are the journal's kinds.
template <typename Write>
void Writing(const std::filesystem::path& path, Write write) {
  try {
    write();
  } catch (const files::FileError& e) {
    throw JournalError(e.kind == files::FileError::Kind::kDiskFull ? JournalError::Kind::kDiskFull
                                                                   : JournalError::Kind::kIo,
                       path, e.reason);
  } catch (const JournalError&) {
    throw;
  } catch (const std::runtime_error& e) {  // libxlsxwriter could not be loaded
    throw JournalError(JournalError::Kind::kIo, path, e.what());
  }
}

}  // namespace

void WriteCsv(const std::filesystem::path& path, const Table& table,
              const files::WriteOptions& options) {
  Writing(path, [&] {
    files::CsvFile file(path, options);
    file.AddLine(table.header);
    for (const auto& row : table.rows) file.AddLine(row);
    file.Commit();
  });
}

std::int64_t ExportJournalCsv(Journal& journal, const std::filesystem::path& path) {
  std::int64_t count = 0;
  Writing(path, [&] {
    // A first pass finds the voids, which come after their statements.
    Voids voids;
    journal.ForEachEntry([&](const Entry& entry) {
      if (entry.kind == EntryKind::kVoid) voids[entry.serial] = {entry.reason, entry.recordedAt};
    });
    files::CsvFile file(path, KeptBy(journal));
    file.AddLine(EntryColumns().header);
    journal.ForEachEntry([&](const Entry& entry) {
      file.AddLine(EntryRow(entry, voids));
      ++count;
    });
    file.Commit();
  });
  return count;
}

void WriteXlsx(const std::filesystem::path& path, const Table& table,
               const files::WriteOptions& options) {
  Writing(path, [&] {
    const files::XlsxWriterLibrary& xlsx = files::XlsxWriterLib();
    files::SafeFile file(path, options);
    // Closed, into the temporary that the SafeFile removes, on every way out
    // before the commit.
    struct Closer {
      void operator()(lxw_workbook* workbook) const {
        files::XlsxWriterLib().workbook_close(workbook);
      }
    };
    // libxlsxwriter's own temporaries in the write's private folder, not
    // where tmpfile() puts them (on Windows, the root of drive C:).
    const std::string folder = files::Utf8Of(file.TemporaryPath().parent_path());
    lxw_workbook_options workbookOptions{};
    workbookOptions.tmpdir = const_cast<char*>(folder.c_str());
    std::unique_ptr<lxw_workbook, Closer> workbook(xlsx.workbook_new_opt(
        files::Utf8Of(file.TemporaryPath()).c_str(), &workbookOptions));
    if (!workbook) throw files::FileError(files::FileError::Kind::kIo, path, "无法建立 XLSX 文件");
    lxw_worksheet* sheet = xlsx.workbook_add_worksheet(workbook.get(), "计息单");
    lxw_format* bold = xlsx.workbook_add_format(workbook.get());
    xlsx.format_set_bold(bold);
    lxw_format* money = xlsx.workbook_add_format(workbook.get());
    xlsx.format_set_num_format(money, "#,##0.00");
    lxw_format* count = xlsx.workbook_add_format(workbook.get());
    xlsx.format_set_num_format(count, "0");
    const auto put = [&](std::size_t row, const std::vector<std::string>& fields, bool heading) {
      for (std::size_t column = 0; column < fields.size(); ++column) {
        const auto r = static_cast<lxw_row_t>(row);
        const auto c = static_cast<lxw_col_t>(column);
        const ColumnKind kind =
            heading || column >= table.kinds.size() ? ColumnKind::kText : table.kinds[column];
        const std::string& text = fields[column];
        // A figure is a number cell; any other text stays text, never a formula.
        if (kind != ColumnKind::kText && IsPlainDecimal(text)) {
          double value = 0;
          std::from_chars(text.data(), text.data() + text.size(), value);
          lxw_format* format = kind == ColumnKind::kMoney   ? money
                               : kind == ColumnKind::kCount ? count
                                                            : nullptr;
          xlsx.worksheet_write_number(sheet, r, c, value, format);
        } else {
          xlsx.worksheet_write_string(sheet, r, c, text.c_str(), heading ? bold : nullptr);
        }
      }
    };
    put(0, table.header, true);
    for (std::size_t row = 0; row < table.rows.size(); ++row) put(row + 1, table.rows[row], false);
    xlsx.worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(table.header.size()), 16, nullptr);
    const lxw_error closed = xlsx.workbook_close(workbook.release());
    if (closed != LXW_NO_ERROR) {
      throw files::FileError(files::FileError::Kind::kIo, path,
                             std::string("无法写入文件（") + xlsx.lxw_strerror(closed) + "）");
    }
    file.Commit();
  });
}

files::WriteOptions KeptBy(const Journal& journal) {
  files::WriteOptions options;
  for (const std::filesystem::path& file : journal.FilesInUse())
    options.kept.push_back({"日志", file});
  return options;
}

Table StatementsTable(Journal& journal, const std::vector<StatementSummary>& rows) {
  Columns columns;
  for (const char* heading : {"编号", "时间", "借款人", "借据号", "经办人"}) columns.Add(heading);
  columns.AddFigures();
  columns.Add("合计名称");
  columns.Add("合计", ColumnKind::kMoney);
  for (const char* heading : {"状态", "作废原因", "作废时间", "交付方式"}) columns.Add(heading);
  columns.Add("交付次数", ColumnKind::kCount);
  columns.Add("补打次数", ColumnKind::kCount);
  Table table{std::move(columns.header), {}, std::move(columns.kinds)};

  for (const StatementSummary& summary : rows) {
    const std::vector<Entry> entries = journal.EntriesOf(summary.serial);
    if (entries.empty() || entries.front().kind != EntryKind::kStatement) continue;
    const Entry& statement = entries.front();
    std::vector<std::string> row = {statement.serial, statement.recordedAt,
                                    statement.header.borrower, statement.header.loanNumber,
                                    statement.header.clerk};
    AddFigures(row, statement.statement);
    const StatementRow total = TotalOf(statement);
    row.insert(row.end(), {total.item, PlainFigure(total.value)});

    // Each way it was handed on, once, in the order first used.
    std::vector<std::string> ways;
    const auto used = [&ways](std::string way) {
      if (!way.empty() && std::find(ways.begin(), ways.end(), way) == ways.end()) {
        ways.push_back(std::move(way));
      }
    };
    const Entry* voided = nullptr;
    int handOns = 0, reprints = 0;
    for (const Entry& entry : entries) {
      if (entry.kind == EntryKind::kVoid) voided = &entry;
      if (entry.kind == EntryKind::kReprint) {
        ++reprints;
        used(EntryKindWord(entry.kind));
      } else if (entry.handOn.kind != HandOnKind::kNone) {
        ++handOns;
        used(HandOnName(entry.handOn.kind));
      }
    }
    std::string joined;
    for (const std::string& way : ways) joined += (joined.empty() ? "" : "、") + way;
    row.insert(row.end(), {StatusWord(voided != nullptr), voided ? voided->reason : "",
                           voided ? voided->recordedAt : "", joined, std::to_string(handOns),
                           std::to_string(reprints)});
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace quillbary::journal
