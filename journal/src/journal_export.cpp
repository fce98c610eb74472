#include "quillbary/journal_export.h"

#include "entry_columns.h"
#include "quillbary/csv_text.h"
#include "quillbary/xlsxwriter_library.h"

namespace quillbary::journal {
namespace {

const std::vector<std::string> kFigureItems = {"借款日期", "到期日期",  "还款日期",    "起息日期",
                                               "还款金额", "月利率(‰)", "还款方式",    "正常天数",
                                               "正常利息", "逾期天数",  "逾期利率(‰)", "逾期利息"};

std::vector<std::string> EntryHeader() {
  std::vector<std::string> header = {"序号",     "类型",   "编号",   "记录时间",
                                     "程序版本", "借款人", "借据号", "经办人"};
  header.insert(header.end(), kFigureItems.begin(), kFigureItems.end());
  for (const char* item : {"合计项目", "合计", "合计大写", "计算过程", "制表时间", "交付方式",
                           "PDF 路径", "作废原因", "前一条哈希", "哈希"}) {
    header.emplace_back(item);
  }
  return header;
}

std::vector<std::string> EntryRow(const Entry& e) {
  std::vector<std::string> row = {std::to_string(e.seq), EntryKindWord(e.kind), e.serial,
                                  e.recordedAt,          e.programVersion,      e.header.borrower,
                                  e.header.loanNumber,   e.header.clerk};
  for (const std::string& item : kFigureItems) row.push_back(FigureValue(e.statement, item));
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
  row.insert(row.end(), {total.item, total.value, FigureValue(e.statement, kCapitalsItem), working,
                         e.statement.madeAt.value, HandOnWord(e.handOn.kind), e.handOn.pdfPath,
                         e.reason, e.previousHash, e.hash});
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
    files::CsvFile file(path, KeptBy(journal));
    file.AddLine(EntryHeader());
    journal.ForEachEntry([&](const Entry& entry) {
      file.AddLine(EntryRow(entry));
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
    lxw_workbook* workbook = xlsx.workbook_new_opt(file.TemporaryPath().c_str(), nullptr);
    if (!workbook) throw files::FileError(files::FileError::Kind::kIo, path, "无法建立 XLSX 文件");
    lxw_worksheet* sheet = xlsx.workbook_add_worksheet(workbook, "计息单");
    lxw_format* bold = xlsx.workbook_add_format(workbook);
    xlsx.format_set_bold(bold);
    const auto put = [sheet, &xlsx](std::size_t row, const std::vector<std::string>& fields,
                                    lxw_format* format) {
      for (std::size_t column = 0; column < fields.size(); ++column) {
        // Always as text: figures stay exactly as shown, and nothing becomes a formula.
        xlsx.worksheet_write_string(sheet, static_cast<lxw_row_t>(row),
                                    static_cast<lxw_col_t>(column), fields[column].c_str(), format);
      }
    };
    put(0, table.header, bold);
    for (std::size_t row = 0; row < table.rows.size(); ++row) put(row + 1, table.rows[row], nullptr);
    xlsx.worksheet_set_column(sheet, 0, static_cast<lxw_col_t>(table.header.size()), 16, nullptr);
    const lxw_error closed = xlsx.workbook_close(workbook);
    if (closed != LXW_NO_ERROR) {
      throw files::FileError(files::FileError::Kind::kIo, path,
                             std::string("无法写入文件（") + xlsx.lxw_strerror(closed) + "）");
    }
    file.Commit();
  });
}

files::WriteOptions KeptBy(const Journal& journal) {
  files::WriteOptions options;
  for (const std::filesystem::path& file : journal.FilesInUse()) options.kept.push_back({"日志", file});
  return options;
}

Table StatementsTable(const std::vector<StatementSummary>& rows) {
  Table table{{"编号", "时间", "借款人", "借据号", "还款金额", "合计项目", "合计", "状态"}, {}};
  for (const StatementSummary& s : rows) {
    table.rows.push_back({s.serial, s.recordedAt, s.borrower, s.loanNumber, s.amount,
                          s.totalCaption, s.total, StatusText(s)});
  }
  return table;
}

}  // namespace quillbary::journal
