// The XLSX reader: the workbook's parts read from the zip with libzip and
// parsed with expat. The sheet itself is parsed as it is inflated, a block at
// a time, and hands on each row as it ends; the shared strings and the styles
// are read whole first, as a sheet's cells refer to them.
#include <expat.h>
#include <zip.h>

#include <charconv>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "loaded_libraries.h"
#include "quillbary/batch_file.h"

namespace quillbary {
namespace {

constexpr std::size_t kMaxCellBytes = 1 << 20;
constexpr std::size_t kMaxSharedBytes = std::size_t{512} << 20;

// The attribute's value, by its name without a namespace prefix ("r:id" is
// found as "id"), or nullptr.
const char* Attribute(const char** attributes, std::string_view name) {
  for (; *attributes != nullptr; attributes += 2) {
    std::string_view key = attributes[0];
    const auto colon = key.find(':');
    if (colon != std::string_view::npos) key.remove_prefix(colon + 1);
    if (key == name) return attributes[1];
  }
  return nullptr;
}

std::string_view LocalName(const char* name) {
  std::string_view n = name;
  const auto colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

// One XML document fed to expat piece by piece, its events handed to
// std::functions.
class XmlParser {
 public:
  std::function<void(std::string_view name, const char** attributes)> onStart;
  std::function<void(std::string_view name)> onEnd;
  std::function<void(std::string_view text)> onText;

  XmlParser() : parser_(XML_ParserCreate(nullptr)) {
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(
        parser_,
        [](void* self, const char* name, const char** attributes) {
          auto* p = static_cast<XmlParser*>(self);
          if (p->onStart) p->onStart(LocalName(name), attributes);
        },
        [](void* self, const char* name) {
          auto* p = static_cast<XmlParser*>(self);
          if (p->onEnd) p->onEnd(LocalName(name));
        });
    XML_SetCharacterDataHandler(parser_, [](void* self, const char* text, int length) {
      auto* p = static_cast<XmlParser*>(self);
      if (p->onText) p->onText(std::string_view(text, static_cast<std::size_t>(length)));
    });
  }
  ~XmlParser() { XML_ParserFree(parser_); }
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  // False with the reason in `error` when the text is not well-formed XML.
  bool Feed(const char* data, std::size_t size, bool last, std::string& error) {
    if (XML_Parse(parser_, data, static_cast<int>(size), last) == XML_STATUS_OK) return true;
    error = std::string(XML_ErrorString(XML_GetErrorCode(parser_))) + "，第 " +
            std::to_string(XML_GetCurrentLineNumber(parser_)) + " 行";
    return false;
  }

 private:
  XML_Parser parser_;
};

class ZipArchive {
 public:
  explicit ZipArchive(const std::filesystem::path& file) : name_(file.string()) {
    int error = 0;
    archive_ = batch_detail::Zip().zip_open(name_.c_str(), ZIP_RDONLY, &error);
    if (archive_ == nullptr) {
      zip_error_t reason;
      batch_detail::Zip().zip_error_init_with_code(&reason, error);
      const std::string text = batch_detail::Zip().zip_error_strerror(&reason);
      batch_detail::Zip().zip_error_fini(&reason);
      throw BatchFileError(name_ + "：不是可读的 XLSX 文件（" + text + "）");
    }
  }
  ~ZipArchive() { batch_detail::Zip().zip_discard(archive_); }
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  bool Has(const std::string& part) const {
    return batch_detail::Zip().zip_name_locate(archive_, part.c_str(), 0) >= 0;
  }

  // The part, opened to be read as it inflates.
  zip_file_t* Open(const std::string& part) const {
    zip_file_t* file = batch_detail::Zip().zip_fopen(archive_, part.c_str(), 0);
    if (file == nullptr) {
      throw BatchFileError(name_ + "：XLSX 里的 " + part + " 无法读取（" +
                           batch_detail::Zip().zip_strerror(archive_) + "）");
    }
    return file;
  }

  std::uint64_t SizeOf(const std::string& part) const {
    zip_stat_t stat;
    batch_detail::Zip().zip_stat_init(&stat);
    if (batch_detail::Zip().zip_stat(archive_, part.c_str(), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
      return 0;
    return stat.size;
  }

  // Parses a whole part.
  void Parse(const std::string& part, XmlParser& parser) const {
    zip_file_t* file = Open(part);
    char block[1 << 16];
    std::string error;
    while (true) {
      const zip_int64_t got = batch_detail::Zip().zip_fread(file, block, sizeof block);
      if (got < 0) {
        batch_detail::Zip().zip_fclose(file);
        throw BatchFileError(name_ + "：XLSX 里的 " + part + " 已损坏");
      }
      if (!parser.Feed(block, static_cast<std::size_t>(got), got == 0, error)) {
        batch_detail::Zip().zip_fclose(file);
        throw BatchFileError(name_ + "：XLSX 里的 " + part + " 不是有效的 XML（" + error + "）");
      }
      if (got == 0) break;
    }
    batch_detail::Zip().zip_fclose(file);
  }

  const std::string& name() const { return name_; }

 private:
  std::string name_;
  zip_t* archive_ = nullptr;
};

// Whether a number format shows a date: the built-in date formats, and any
// format whose code, outside quotes and brackets, has a year or a day.
bool IsDateFormat(int id, std::string_view code) {
  if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58)) {
    return true;
  }
  bool quoted = false, bracketed = false, escaped = false;
  for (char c : code) {
    if (escaped) {
      escaped = false;
    } else if (c == '\\') {
      escaped = true;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (quoted) {
    } else if (c == '[') {
      bracketed = true;
    } else if (c == ']') {
      bracketed = false;
    } else if (!bracketed && (c == 'y' || c == 'Y' || c == 'd' || c == 'D')) {
      return true;
    }
  }
  return false;
}

// "B12" -> 1 (columns from 0).
std::optional<std::size_t> ColumnOf(std::string_view reference) {
  std::size_t column = 0, letters = 0;
  for (char c : reference) {
    if (c >= 'A' && c <= 'Z') {
      column = column * 26 + static_cast<std::size_t>(c - 'A' + 1);
      if (++letters > 3) return std::nullopt;
    } else {
      break;
    }
  }
  if (letters == 0) return std::nullopt;
  return column - 1;
}

// A date cell's serial number as the date it shows, "YYYY-MM-DD": days since
// 1899-12-30 (1900 system; Excel's day 60, the 29th of February 1900 that
// never was, aside) or since 1904-01-01.
std::string SerialDate(double serial, bool from1904) {
  using namespace std::chrono;
  const auto days = static_cast<long long>(serial);
  sys_days base =
      from1904 ? sys_days{year{1904} / January / 1} : sys_days{year{1899} / December / 30};
  if (!from1904 && days < 61) base += std::chrono::days{1};
  const year_month_day date{base + std::chrono::days{days}};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

class XlsxReader final : public RowReader {
 public:
  explicit XlsxReader(const std::filesystem::path& file) : zip_(file) {
    ReadWorkbook();
    if (zip_.Has("xl/sharedStrings.xml")) ReadSharedStrings("xl/sharedStrings.xml");
    if (zip_.Has("xl/styles.xml")) ReadStyles("xl/styles.xml");
    sheetSize_ = zip_.SizeOf(sheet_);
    sheetFile_ = zip_.Open(sheet_);
    SetUpSheetParser();
  }
  ~XlsxReader() override { batch_detail::Zip().zip_fclose(sheetFile_); }

  bool Next(std::vector<std::string>& cells) override {
    while (rows_.empty() && !done_) FeedSheet();
    if (rows_.empty()) return false;
    cells = std::move(rows_.front().second);
    rowNumber_ = rows_.front().first;
    rows_.pop_front();
    return true;
  }
  std::int64_t RowNumber() const override { return rowNumber_; }
  double Fraction() const override {
    return sheetSize_ == 0 ? 0 : std::min(1.0, static_cast<double>(sheetRead_) / sheetSize_);
  }
  bool ShortRowIsRagged() const override { return false; }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw BatchFileError(zip_.name() + "：" + what);
  }

  void ReadWorkbook() {
    if (!zip_.Has("xl/workbook.xml")) {
      if (zip_.Has("xl/worksheets/sheet1.xml")) {
        sheet_ = "xl/worksheets/sheet1.xml";
        return;
      }
      Fail("不是 XLSX 文件：里面没有工作簿（xl/workbook.xml）");
    }
    std::string firstSheetId;
    XmlParser workbook;
    workbook.onStart = [&](std::string_view name, const char** attributes) {
      if (name == "sheet" && firstSheetId.empty()) {
        if (const char* id = Attribute(attributes, "id")) firstSheetId = id;
      } else if (name == "workbookPr") {
        const char* date1904 = Attribute(attributes, "date1904");
        from1904_ = date1904 != nullptr &&
                    (std::string_view(date1904) == "1" || std::string_view(date1904) == "true");
      }
    };
    zip_.Parse("xl/workbook.xml", workbook);
    if (firstSheetId.empty()) Fail("XLSX 里没有工作表");
    std::string target;
    if (zip_.Has("xl/_rels/workbook.xml.rels")) {
      XmlParser relations;
      relations.onStart = [&](std::string_view name, const char** attributes) {
        const char* id = Attribute(attributes, "Id");
        const char* to = Attribute(attributes, "Target");
        if (name == "Relationship" && id != nullptr && to != nullptr && id == firstSheetId) {
          target = to;
        }
      };
      zip_.Parse("xl/_rels/workbook.xml.rels", relations);
    }
    if (target.empty()) Fail("XLSX 里找不到第一张工作表");
    sheet_ = target.starts_with('/') ? target.substr(1) : "xl/" + target;
    if (!zip_.Has(sheet_)) Fail("XLSX 里没有第一张工作表（" + sheet_ + "）");
  }

  void ReadSharedStrings(const std::string& part) {
    XmlParser parser;
    std::string current;
    int phonetic = 0;  // inside <rPh>, the reading aid, not the text
    bool inText = false;
    std::size_t total = 0;
    parser.onStart = [&](std::string_view name, const char**) {
      if (name == "si") current.clear();
      if (name == "rPh") ++phonetic;
      if (name == "t") inText = phonetic == 0;
    };
    parser.onEnd = [&](std::string_view name) {
      if (name == "t") inText = false;
      if (name == "rPh") --phonetic;
      if (name == "si") {
        total += current.size();
        if (total > kMaxSharedBytes) Fail("XLSX 的共享字符串超过 512 MB");
        shared_.push_back(current);
      }
    };
    parser.onText = [&](std::string_view text) {
      if (!inText) return;
      if (current.size() + text.size() > kMaxCellBytes) Fail("XLSX 里有超过 1 MB 的字符串");
      current += text;
    };
    zip_.Parse(part, parser);
  }

  void ReadStyles(const std::string& part) {
    XmlParser parser;
    std::vector<std::pair<int, std::string>> formats;
    std::vector<int> xfFormats;
    bool inCellXfs = false;
    parser.onStart = [&](std::string_view name, const char** attributes) {
      if (name == "numFmt") {
        const char* id = Attribute(attributes, "numFmtId");
        const char* code = Attribute(attributes, "formatCode");
        if (id != nullptr && code != nullptr) formats.emplace_back(std::atoi(id), code);
      } else if (name == "cellXfs") {
        inCellXfs = true;
      } else if (name == "xf" && inCellXfs) {
        const char* id = Attribute(attributes, "numFmtId");
        xfFormats.push_back(id == nullptr ? 0 : std::atoi(id));
      }
    };
    parser.onEnd = [&](std::string_view name) {
      if (name == "cellXfs") inCellXfs = false;
    };
    zip_.Parse(part, parser);
    for (int id : xfFormats) {
      std::string_view code;
      for (const auto& [formatId, formatCode] : formats) {
        if (formatId == id) code = formatCode;
      }
      dateStyles_.push_back(IsDateFormat(id, code));
    }
  }

  void SetUpSheetParser() {
    parser_.onStart = [this](std::string_view name, const char** attributes) {
      if (name == "row") {
        row_.clear();
        const char* r = Attribute(attributes, "r");
        currentRow_ = r != nullptr ? std::atoll(r) : currentRow_ + 1;
        nextColumn_ = 0;
      } else if (name == "c") {
        const char* r = Attribute(attributes, "r");
        const auto column = r != nullptr ? ColumnOf(r) : std::optional<std::size_t>(nextColumn_);
        if (!column) Fail("第 " + std::to_string(currentRow_) + " 行有无法识别的单元格位置");
        column_ = *column;
        nextColumn_ = column_ + 1;
        const char* type = Attribute(attributes, "t");
        type_ = type == nullptr ? "n" : type;
        const char* style = Attribute(attributes, "s");
        const long s = style == nullptr ? 0 : std::atol(style);
        isDate_ = s >= 0 && static_cast<std::size_t>(s) < dateStyles_.size() &&
                  dateStyles_[static_cast<std::size_t>(s)];
        value_.clear();
      } else if (name == "v" || (name == "t" && type_ == "inlineStr")) {
        inValue_ = true;
      } else if (name == "rPh") {
        ++phonetic_;
      }
    };
    parser_.onEnd = [this](std::string_view name) {
      if (name == "v" || name == "t") {
        inValue_ = false;
      } else if (name == "rPh") {
        --phonetic_;
      } else if (name == "c") {
        if (row_.size() <= column_) row_.resize(column_ + 1);
        row_[column_] = CellText();
      } else if (name == "row") {
        rows_.emplace_back(currentRow_, std::move(row_));
        row_ = {};
      }
    };
    parser_.onText = [this](std::string_view text) {
      if (!inValue_ || phonetic_ > 0) return;
      if (value_.size() + text.size() > kMaxCellBytes) {
        Fail("第 " + std::to_string(currentRow_) + " 行的单元格超过 1 MB");
      }
      value_ += text;
    };
  }

  std::string CellText() const {
    if (type_ == "s") {
      std::size_t index = 0;
      const auto [end, error] =
          std::from_chars(value_.data(), value_.data() + value_.size(), index);
      if (error != std::errc() || index >= shared_.size()) {
        Fail("第 " + std::to_string(currentRow_) + " 行引用了不存在的共享字符串");
      }
      return shared_[index];
    }
    if (type_ == "b") return value_ == "1" ? "TRUE" : "FALSE";
    if (type_ == "d") return value_.substr(0, 10);
    if (type_ != "n") return value_;  // str, inlineStr, e
    double number = 0;
    const auto [end, error] = std::from_chars(value_.data(), value_.data() + value_.size(), number);
    if (value_.empty() || error != std::errc() || end != value_.data() + value_.size())
      return value_;
    if (isDate_ && number >= 1 && number < 2958466) return SerialDate(number, from1904_);
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, number);
    return std::string(text, written.ptr);
  }

  void FeedSheet() {
    char block[1 << 16];
    const zip_int64_t got = batch_detail::Zip().zip_fread(sheetFile_, block, sizeof block);
    if (got < 0) Fail("XLSX 里的工作表已损坏");
    sheetRead_ += static_cast<std::uint64_t>(got);
    std::string error;
    if (!parser_.Feed(block, static_cast<std::size_t>(got), got == 0, error)) {
      Fail("工作表不是有效的 XML（" + error + "）");
    }
    if (got == 0) done_ = true;
  }

  ZipArchive zip_;
  std::string sheet_;
  bool from1904_ = false;
  std::vector<std::string> shared_;
  std::vector<bool> dateStyles_;
  zip_file_t* sheetFile_ = nullptr;
  std::uint64_t sheetSize_ = 0, sheetRead_ = 0;
  XmlParser parser_;
  bool done_ = false;
  std::deque<std::pair<std::int64_t, std::vector<std::string>>> rows_;
  std::int64_t rowNumber_ = 0, currentRow_ = 0;
  std::vector<std::string> row_;
  std::size_t column_ = 0, nextColumn_ = 0;
  std::string type_ = "n", value_;
  bool isDate_ = false, inValue_ = false;
  int phonetic_ = 0;
};

}  // namespace

std::unique_ptr<RowReader> OpenXlsxReader(const std::filesystem::path& file) {
  return std::make_unique<XlsxReader>(file);
}

}  // namespace quillbary
