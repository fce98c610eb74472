#include "quillbary/journal_export.h"

#include <dlfcn.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>
#include <type_traits>

#include "entry_columns.h"

namespace quillbary::journal {
namespace {

bool IsNumber(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

const std::vector<std::string> kFigureItems = {"借款日期", "到期日期",  "还款日期",    "起息日期",
                                               "还款金额", "月利率(‰)", "还款方式",    "正常天数",
                                               "正常利息", "逾期天数",  "逾期利率(‰)", "逾期利息"};

std::string FigureValue(const Statement& statement, std::string_view item) {
  for (const StatementRow& row : statement.figures) {
    if (row.item == item) return row.value;
  }
  return {};
}

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
  std::string caption, total, working;
  const auto addLine = [&working](const std::string& line) {
    working += (working.empty() ? "" : "\n") + line;
  };
  if (e.kind == EntryKind::kBatchRun) {
    // Its files, digests and counts, one "item：value" a line, where a
    // statement has its working; the sum of the totals is its total.
    for (const StatementRow& row : e.statement.figures) {
      if (row.item == kBatchTotalItem) {
        caption = row.item;
        total = row.value;
      } else {
        addLine(row.item + "：" + row.value);
      }
    }
  }
  for (std::size_t i = 1; i < e.statement.figures.size(); ++i) {
    if (e.statement.figures[i].item == kCapitalsItem) {
      caption = e.statement.figures[i - 1].item;
      total = e.statement.figures[i - 1].value;
    }
  }
  for (const std::string& line : e.statement.working) addLine(line);
  row.insert(row.end(), {caption, total, FigureValue(e.statement, kCapitalsItem), working,
                         e.statement.madeAt.value, HandOnWord(e.handOn.kind), e.handOn.pdfPath,
                         e.reason, e.previousHash, e.hash});
  return row;
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  return line + "\r\n";
}

[[noreturn]] void ThrowWrite(const std::filesystem::path& path, int error) {
  throw JournalError(error == ENOSPC ? JournalError::Kind::kDiskFull : JournalError::Kind::kIo,
                     path, std::string("无法写入文件（") + std::strerror(error) + "）");
}

// Writes through a temporary file beside path, renamed into place by Commit.
class CsvFile {
 public:
  explicit CsvFile(const std::filesystem::path& path)
      : path_(path), temporary_(path.string() + ".part") {
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_) ThrowWrite(path_, errno);
    out_ << "\xEF\xBB\xBF";
  }
  ~CsvFile() {
    if (!committed_) {
      out_.close();
      std::error_code ignored;
      std::filesystem::remove(temporary_, ignored);
    }
  }
  void Add(const std::vector<std::string>& fields) { out_ << CsvLine(fields); }
  void Commit() {
    out_.flush();
    const int error = out_ ? 0 : (errno ? errno : EIO);
    out_.close();
    if (error != 0 || out_.fail()) ThrowWrite(path_, error ? error : EIO);
    std::error_code renamed;
    std::filesystem::rename(temporary_, path_, renamed);
    if (renamed) ThrowWrite(path_, renamed.value());
    committed_ = true;
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path temporary_;
  std::ofstream out_;
  bool committed_ = false;
};

// libxlsxwriter, loaded on the first XLSX export rather than with the
// program: it brings OpenSSL's libcrypto along, 1.4 MB resident that a window
// which never exports should not carry from its start.
struct XlsxWriter {
  decltype(&workbook_new) workbookNew;
  decltype(&workbook_add_worksheet) addWorksheet;
  decltype(&workbook_add_format) addFormat;
  decltype(&format_set_bold) setBold;
  decltype(&worksheet_write_string) writeString;
  decltype(&worksheet_set_column) setColumn;
  decltype(&workbook_close) close;
  decltype(&lxw_strerror) describe;
};

const XlsxWriter* LoadXlsxWriter() {
  static const std::optional<XlsxWriter> loaded = []() -> std::optional<XlsxWriter> {
    void* library = dlopen("libxlsxwriter.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) return std::nullopt;
    const auto find = [library](auto& function, const char* name) {
      function =
          reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
      return function != nullptr;
    };
    XlsxWriter w{};
    if (find(w.workbookNew, "workbook_new") && find(w.addWorksheet, "workbook_add_worksheet") &&
        find(w.addFormat, "workbook_add_format") && find(w.setBold, "format_set_bold") &&
        find(w.writeString, "worksheet_write_string") &&
        find(w.setColumn, "worksheet_set_column") && find(w.close, "workbook_close") &&
        find(w.describe, "lxw_strerror")) {
      return w;
    }
    return std::nullopt;
  }();
  return loaded ? &*loaded : nullptr;
}

}  // namespace

std::string CsvField(std::string_view text) {
  std::string value(text);
  if (!value.empty() && std::strchr("=+-@", value.front()) != nullptr && !IsNumber(value)) {
    value = "'" + value;
  }
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (const char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void WriteCsv(const std::filesystem::path& path, const Table& table) {
  CsvFile file(path);
  file.Add(table.header);
  for (const auto& row : table.rows) file.Add(row);
  file.Commit();
}

std::int64_t ExportJournalCsv(Journal& journal, const std::filesystem::path& path) {
  CsvFile file(path);
  file.Add(EntryHeader());
  std::int64_t count = 0;
  journal.ForEachEntry([&](const Entry& entry) {
    file.Add(EntryRow(entry));
    ++count;
  });
  file.Commit();
  return count;
}

void WriteXlsx(const std::filesystem::path& path, const Table& table) {
  const XlsxWriter* xlsx = LoadXlsxWriter();
  if (!xlsx) {
    // dlerror() tells only once, and nothing when a function was missing.
    const char* why = dlerror();
    throw JournalError(JournalError::Kind::kIo, path,
                       std::string("无法载入 libxlsxwriter（") +
                           (why ? why : "libxlsxwriter.so.4 未安装或版本不符") + "）");
  }
  const std::string temporary = path.string() + ".part";
  lxw_workbook* workbook = xlsx->workbookNew(temporary.c_str());
  if (!workbook) ThrowWrite(path, errno ? errno : EIO);
  lxw_worksheet* sheet = xlsx->addWorksheet(workbook, "计息单");
  lxw_format* bold = xlsx->addFormat(workbook);
  xlsx->setBold(bold);
  const auto put = [sheet, xlsx](std::size_t row, const std::vector<std::string>& fields,
                                 lxw_format* format) {
    for (std::size_t column = 0; column < fields.size(); ++column) {
      // Always as text: figures stay exactly as shown, and nothing becomes a formula.
      xlsx->writeString(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                        fields[column].c_str(), format);
    }
  };
  put(0, table.header, bold);
  for (std::size_t row = 0; row < table.rows.size(); ++row) put(row + 1, table.rows[row], nullptr);
  xlsx->setColumn(sheet, 0, static_cast<lxw_col_t>(table.header.size()), 16, nullptr);
  const lxw_error closed = xlsx->close(workbook);
  if (closed != LXW_NO_ERROR) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw JournalError(JournalError::Kind::kIo, path,
                       std::string("无法写入文件（") + xlsx->describe(closed) + "）");
  }
  std::error_code renamed;
  std::filesystem::rename(temporary, path, renamed);
  if (renamed) ThrowWrite(path, renamed.value());
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
