// The XLSX reader: the workbook's parts read from the zip with libzip and
// parsed with expat. The sheet itself is parsed as it is inflated and stops
// at each row's end, so one row at a time is held; the shared strings and
// the styles are read whole first, as a sheet's cells refer to them.
//
// A workbook is hostile until read: a few kilobytes of zip can inflate to
// gigabytes of XML, and one shared string can be used in every cell. So
// what it may unfold to is bounded, each bound refused with its own message:
//
//   one cell's text                        1 MB    (kMaxCellBytes)
//   one row's text, shared strings in it  16 MB    (kMaxRowTextBytes)
//   shared strings                4,194,304 of them (kMaxSharedStrings),
//                                         64 MB of text (kMaxSharedBytes)
//   number formats, cell formats     65,536 each   (kMaxStyles)
//   a cell position                   A1 to XFD1048576, in order
//   what expat holds                      32 MB    (kMaxParserBytes), and at
//                                        256 KB    most of one unfinished tag
//                                                  (kMaxTokenBytes)
//   and against the file's own size S:
//   the XML inflated, all parts     64 MB + 20 x S (kXmlFloor, kXmlPerFileByte)
//   its elements, all parts         12 Mi + 1 x S  (kElementsFloor,
//                                                   kElementsPerFileByte)
//   the sheet's cells, gaps filled  16 Mi + 2 x S  (kCellsFloor, kCellsPerFileByte)
//   the sheet's text                64 MB + 8 x S  (kTextFloor, kTextPerFileByte)
//
// 4,194,304 shared strings cost 16 MB of offsets; an empty <si/> is 5 bytes
// of XML, so the count is reached after 20 MB. A real sheet of 1,048,576
// rows, its borrowers and loan numbers all different, has about 2 million.
// The floors are what any file may unfold to, however small. Past them a
// real workbook, which deflates its XML 5 to 10 times, stays well inside:
// the benchmark's sheet of 1,000,000 rows, a 46 MB file, has 486 MB of XML,
// 25 million elements and 8 million cells. What costs the most to read is
// an element (about 150 ns, most of it expat's): a 10 MB file is held to
// 23 million of them and 264 MB of XML, about 5 seconds at worst.
#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "loaded_libraries.h"
#include "open_reader.h"
#include "quillbary/batch_file.h"
#include "quillbary/sha256.h"
#include "text_fold.h"

namespace quillbary::batch {
namespace {

constexpr std::size_t kMaxCellBytes = 1 << 20;
constexpr std::size_t kMaxRowTextBytes = 16 << 20;
constexpr std::size_t kMaxSharedStrings = 4 << 20;
constexpr std::size_t kMaxSharedBytes = 64 << 20;
constexpr std::size_t kMaxStyles = 65'536;
constexpr std::size_t kMaxParserBytes = 32 << 20;
constexpr int kMaxTokenBytes = 256 << 10;
constexpr std::uint64_t kXmlFloor = 64 << 20, kXmlPerFileByte = 20;
constexpr std::uint64_t kElementsFloor = 12 << 20, kElementsPerFileByte = 1;
constexpr std::uint64_t kCellsFloor = 16 << 20, kCellsPerFileByte = 2;
constexpr std::uint64_t kTextFloor = 64 << 20, kTextPerFileByte = 8;
constexpr std::size_t kBlockSize = 1 << 16;  // inflated at a time

// A value from the file, shortened for a message.
std::string Quoted(std::string_view text) {
  std::string_view shown = text.substr(0, 32);
  shown = shown.substr(0, detail::ValidUtf8Prefix(shown));
  return "“" + std::string(shown) + (shown.size() < text.size() ? "…" : "") + "”";
}

// expat's memory, counted for all parsers together and refused past
// kMaxParserBytes: the names it keeps, the open tags, its buffer.
std::atomic<std::size_t> parserBytes{0};
constexpr std::size_t kAllocationHeader = alignof(std::max_align_t);

bool TakeParserBytes(std::size_t size) {
  if (parserBytes.fetch_add(size) + size <= kMaxParserBytes) return true;
  parserBytes.fetch_sub(size);
  return false;
}

void* ParserMalloc(std::size_t size) {
  if (size > kMaxParserBytes || !TakeParserBytes(size)) return nullptr;
  auto* block = static_cast<char*>(std::malloc(kAllocationHeader + size));
  if (block == nullptr) {
    parserBytes.fetch_sub(size);
    return nullptr;
  }
  std::memcpy(block, &size, sizeof size);
  return block + kAllocationHeader;
}

void ParserFree(void* pointer) {
  if (pointer == nullptr) return;
  char* block = static_cast<char*>(pointer) - kAllocationHeader;
  std::size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  parserBytes.fetch_sub(size);
  std::free(block);
}

void* ParserRealloc(void* pointer, std::size_t size) {
  if (pointer == nullptr) return ParserMalloc(size);
  char* block = static_cast<char*>(pointer) - kAllocationHeader;
  std::size_t old = 0;
  std::memcpy(&old, block, sizeof old);
  if (size > kMaxParserBytes || (size > old && !TakeParserBytes(size - old))) return nullptr;
  auto* moved = static_cast<char*>(std::realloc(block, kAllocationHeader + size));
  if (moved == nullptr) {
    if (size > old) parserBytes.fetch_sub(size - old);
    return nullptr;
  }
  if (size < old) parserBytes.fetch_sub(old - size);
  std::memcpy(moved, &size, sizeof size);
  return moved + kAllocationHeader;
}

const XML_Memory_Handling_Suite kParserMemory{ParserMalloc, ParserRealloc, ParserFree};

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

// The whole text as a number, or nothing ("12", not "12x" nor "").
template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// The elements all the parts of a workbook may have, counted as they start.
struct ElementBudget {
  std::uint64_t count = 0;
  BatchErrorFacts refusal;  // kTooManyElements, its number the limit
  void Count() {
    if (++count > refusal.number) throw BatchFileError(refusal);
  }
};

// One XML document fed to expat piece by piece, its events handed to
// std::functions. A handler's exception never crosses expat: it stops the
// parser and is thrown once expat has returned. A DTD is refused, so no
// entity is ever declared, let alone expanded.
class XmlParser {
 public:
  std::function<void(std::string_view name, const char** attributes)> onStart;
  std::function<void(std::string_view name)> onEnd;
  std::function<void(std::string_view text)> onText;

  // `where` names the file and the part in each refusal.
  XmlParser(BatchErrorFacts where, ElementBudget& elements)
      : where_(std::move(where)),
        elements_(&elements),
        parser_(XML_ParserCreate_MM(nullptr, &kParserMemory, nullptr)) {
    if (parser_ == nullptr) Throw(BatchProblem::kXmlNoMemory);
    XML_SetUserData(parser_.get(), this);
    XML_SetElementHandler(
        parser_.get(),
        [](void* self, const char* name, const char** attributes) {
          static_cast<XmlParser*>(self)->Guard([&](XmlParser& p) {
            p.elements_->Count();
            // Refused here too, whatever expat does with a long token while
            // it is unfinished (newer versions defer rescanning it).
            std::size_t tagBytes = std::strlen(name);
            for (const char** a = attributes; *a != nullptr; ++a) tagBytes += std::strlen(*a);
            if (tagBytes > static_cast<std::size_t>(kMaxTokenBytes)) p.RefuseLongToken();
            if (p.onStart) p.onStart(LocalName(name), attributes);
          });
        },
        [](void* self, const char* name) {
          static_cast<XmlParser*>(self)->Guard([&](XmlParser& p) {
            if (p.onEnd) p.onEnd(LocalName(name));
          });
        });
    XML_SetCharacterDataHandler(parser_.get(), [](void* self, const char* text, int length) {
      static_cast<XmlParser*>(self)->Guard([&](XmlParser& p) {
        if (p.onText) p.onText(std::string_view(text, static_cast<std::size_t>(length)));
      });
    });
    XML_SetDoctypeDeclHandler(
        parser_.get(),
        [](void* self, const char*, const char*, const char*, int) {
          static_cast<XmlParser*>(self)->Refuse(BatchProblem::kXmlDoctype);
        },
        nullptr);
    XML_SetEntityDeclHandler(parser_.get(), [](void* self, const char* name, int, const char*, int,
                                               const char*, const char*, const char*, const char*) {
      static_cast<XmlParser*>(self)->Refuse(BatchProblem::kXmlEntityDeclared, Quoted(name));
    });
    XML_SetSkippedEntityHandler(parser_.get(), [](void* self, const char* name, int) {
      static_cast<XmlParser*>(self)->Refuse(BatchProblem::kXmlUndefinedEntity, Quoted(name));
    });
  }

  // Handlers hold `this`: never copied nor moved.
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  // Room in expat's own buffer for `size` bytes, to be read into and handed
  // to Parse(); the bytes stay there while the parser is suspended.
  char* Buffer(std::size_t size) {
    void* buffer = XML_GetBuffer(parser_.get(), static_cast<int>(size));
    if (buffer == nullptr) Check(XML_STATUS_ERROR);
    return static_cast<char*>(buffer);
  }
  // Parses the `size` bytes put in Buffer(). False when a handler suspended
  // the parser (Suspend()) before their end: Resume() goes on.
  bool Parse(std::size_t size, bool last) {
    return Check(XML_ParseBuffer(parser_.get(), static_cast<int>(size), last));
  }
  bool Resume() { return Check(XML_ResumeParser(parser_.get())); }
  bool Suspended() const {
    XML_ParsingStatus status;
    XML_GetParsingStatus(parser_.get(), &status);
    return status.parsing == XML_SUSPENDED;
  }
  // From a handler: parsing stops after it, to go on with Resume().
  void Suspend() {
    if (!Suspended()) XML_StopParser(parser_.get(), XML_TRUE);
  }

 private:
  template <typename Handler>
  void Guard(const Handler& handler) {
    if (failure_) return;
    try {
      handler(*this);
    } catch (...) {
      failure_ = std::current_exception();
      XML_StopParser(parser_.get(), XML_FALSE);
    }
  }

  [[noreturn]] void Throw(BatchProblem problem, std::string detail = {},
                          std::int64_t line = 0) const {
    BatchErrorFacts facts = where_;
    facts.problem = problem;
    facts.detail = std::move(detail);
    facts.row = line;
    facts.number = problem == BatchProblem::kXmlTooDeep ? kMaxParserBytes : 0;
    throw BatchFileError(std::move(facts));
  }

  [[noreturn]] void RefuseLongToken() const { Throw(BatchProblem::kXmlTokenTooLong); }

  // From a handler: stops the parser, to throw once expat has returned.
  void Refuse(BatchProblem problem, std::string detail = {}) {
    Guard([&](XmlParser& p) { p.Throw(problem, std::move(detail)); });
  }

  // Throws what stopped the parser; true when it is not suspended.
  bool Check(XML_Status status) {
    if (failure_) std::rethrow_exception(failure_);
    if (status == XML_STATUS_SUSPENDED) return false;
    if (status == XML_STATUS_OK) {
      // The bytes expat still holds are an unfinished tag, comment or
      // instruction; each time more comes it scans them from their start.
      int offset = 0, size = 0;
      if (XML_GetInputContext(parser_.get(), &offset, &size) != nullptr &&
          size - offset > kMaxTokenBytes) {
        RefuseLongToken();
      }
      return true;
    }
    const XML_Error code = XML_GetErrorCode(parser_.get());
    if (code == XML_ERROR_NO_MEMORY) Throw(BatchProblem::kXmlTooDeep);
    const std::string reason = code == XML_ERROR_UNDEFINED_ENTITY
                                   ? std::string("引用了未定义的实体")
                                   : std::string(XML_ErrorString(code));
    Throw(BatchProblem::kXmlInvalid, reason,
          static_cast<std::int64_t>(XML_GetCurrentLineNumber(parser_.get())));
  }

  struct ParserFreer {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
  };

  BatchErrorFacts where_;
  ElementBudget* elements_;  // the workbook's, which outlives its parsers
  std::unique_ptr<XML_ParserStruct, ParserFreer> parser_;
  std::exception_ptr failure_;
};

struct ZipFileCloser {
  void operator()(zip_file_t* file) const { detail::Zip().zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

struct ZipDiscarder {
  void operator()(zip_t* archive) const { detail::Zip().zip_discard(archive); }
};

// The workbook's zip, read from the one descriptor the file was opened with:
// hashed whole first, then handed to libzip.
class ZipArchive {
 public:
  explicit ZipArchive(detail::InputFile file)
      : file_(std::move(file)),
        name_(file_.name()),
        xmlLimit_(kXmlFloor + kXmlPerFileByte * file_.size()) {
    elements_.refusal = {.problem = BatchProblem::kTooManyElements,
                         .file = name_,
                         .number = kElementsFloor + kElementsPerFileByte * file_.size(),
                         .fileSize = file_.size()};
    if (detail::IsCompoundDocument(file_.Head(4))) {
      detail::RefuseCompoundDocument(name_);
    }
    HashWholeFile();
    // libzip closes the descriptor it is given: a duplicate of ours, which
    // is kept to see at the end whether the file changed meanwhile.
    const int handed = files::Duplicate(file_.fd());
    if (handed < 0) Fail({.problem = BatchProblem::kReadFailed, .systemError = errno});
    int error = 0;
    archive_.reset(detail::Zip().zip_fdopen(handed, ZIP_RDONLY, &error));
    if (archive_ == nullptr) {
      files::CloseFile(handed);
      zip_error_t reason;
      detail::Zip().zip_error_init_with_code(&reason, error);
      const std::string text = detail::Zip().zip_error_strerror(&reason);
      detail::Zip().zip_error_fini(&reason);
      Fail({.problem = BatchProblem::kNotAZip, .detail = text});
    }
    RefuseDuplicateNames();
  }
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  bool Has(const std::string& part) const {
    return detail::Zip().zip_name_locate(archive_.get(), part.c_str(), 0) >= 0;
  }

  // The part, opened to be read as it inflates.
  ZipFile Open(const std::string& part) const {
    zip_file_t* file = detail::Zip().zip_fopen(archive_.get(), part.c_str(), 0);
    if (file == nullptr) {
      Fail({.problem = BatchProblem::kPartUnreadable,
            .part = part,
            .detail = detail::Zip().zip_strerror(archive_.get())});
    }
    return ZipFile(file);
  }

  // The size the zip gives for the part inflated, 0 when it gives none.
  std::uint64_t SizeOf(const std::string& part) const {
    zip_stat_t stat;
    detail::Zip().zip_stat_init(&stat);
    if (detail::Zip().zip_stat(archive_.get(), part.c_str(), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
      return 0;
    return stat.size;
  }

  // Inflates up to `size` bytes of the part into `into`; 0 at its end.
  std::size_t Read(zip_file_t* file, const std::string& part, char* into, std::size_t size) {
    const zip_int64_t got = detail::Zip().zip_fread(file, into, size);
    if (got < 0) Fail({.problem = BatchProblem::kPartCorrupt, .part = part});
    inflated_ += static_cast<std::uint64_t>(got);
    if (inflated_ > xmlLimit_) {
      Fail({.problem = BatchProblem::kZipBomb, .number = xmlLimit_, .fileSize = file_.size()});
    }
    return static_cast<std::size_t>(got);
  }

  // Parses a whole part.
  void Parse(const std::string& part, XmlParser& parser) {
    const ZipFile file = Open(part);
    while (true) {
      const std::size_t got = Read(file.get(), part, parser.Buffer(kBlockSize), kBlockSize);
      parser.Parse(got, got == 0);
      if (got == 0) break;
    }
  }

  const std::string& name() const { return name_; }
  // Throws `facts` about this file.
  [[noreturn]] void Fail(BatchErrorFacts facts) const {
    facts.file = name_;
    throw BatchFileError(std::move(facts));
  }
  ElementBudget& elements() { return elements_; }
  std::uint64_t fileSize() const { return file_.size(); }
  const std::string& sha256() const { return digest_; }
  void CheckUnchanged() const { file_.CheckUnchanged(); }

 private:
  void HashWholeFile() {
    files::Sha256 sha256;
    std::string block(1 << 20, '\0');
    std::uint64_t total = 0;
    while (const std::size_t got = file_.Read(block.data(), block.size())) {
      total += got;
      if (total > file_.size()) file_.RefuseChanged();
      sha256.Add(std::string_view(block.data(), got));
    }
    if (total != file_.size()) file_.RefuseChanged();
    digest_ = sha256.HexDigest();
    if (!files::Rewind(file_.fd())) {
      Fail({.problem = BatchProblem::kCannotRewind, .systemError = errno});
    }
  }

  // Two entries of one name (part names ignore case) would let the sheet
  // read be another than the one a spreadsheet shows.
  void RefuseDuplicateNames() const {
    const zip_int64_t count = detail::Zip().zip_get_num_entries(archive_.get(), 0);
    std::unordered_set<std::string> seen;
    for (zip_int64_t i = 0; i < count; ++i) {
      const char* entry =
          detail::Zip().zip_get_name(archive_.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
      if (entry == nullptr) Fail({.problem = BatchProblem::kZipDirectoryCorrupt});
      std::string folded = entry;
      std::transform(folded.begin(), folded.end(), folded.begin(),
                     [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
      if (!seen.insert(std::move(folded)).second) {
        Fail({.problem = BatchProblem::kDuplicatePart, .detail = Quoted(entry)});
      }
    }
  }

  detail::InputFile file_;
  std::string name_;
  std::string digest_;
  std::unique_ptr<zip_t, ZipDiscarder> archive_;
  std::uint64_t inflated_ = 0;
  const std::uint64_t xmlLimit_;
  ElementBudget elements_;
};

// The shared strings in one text, each ending at its offset.
class SharedStrings {
 public:
  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t i) const {
    const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  // The string being read: its text so far, and the end of the string.
  std::size_t CurrentSize() const { return text_.size() - (ends_.empty() ? 0 : ends_.back()); }
  void Append(std::string_view text) { text_ += text; }
  void End() { ends_.push_back(static_cast<std::uint32_t>(text_.size())); }
  std::size_t bytes() const { return text_.size(); }
  void Reserve(std::size_t bytes) { text_.reserve(bytes); }

 private:
  std::string text_;
  std::vector<std::uint32_t> ends_;
  static_assert(kMaxSharedBytes < (std::uint64_t{1} << 32));
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

struct CellReference {
  std::size_t column;  // from 0
  std::int64_t row;    // from 1
};

// "B12" -> column 1, row 12; nothing past XFD1048576 or with anything else.
std::optional<CellReference> ParseReference(std::string_view reference) {
  std::size_t column = 0, letters = 0;
  while (letters < reference.size() && reference[letters] >= 'A' && reference[letters] <= 'Z') {
    column = column * 26 + static_cast<std::size_t>(reference[letters] - 'A' + 1);
    if (++letters > 3) return std::nullopt;
  }
  if (letters == 0 || column > kMaxColumns) return std::nullopt;
  const auto row = WholeNumber<std::int64_t>(reference.substr(letters));
  if (!row || *row < 1 || *row > kXlsxMaxRows) return std::nullopt;
  return CellReference{column - 1, *row};
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

// A number cell's value in plain digits, the fewest that read back as the
// same double: 100000 -> "100000", 2e6 -> "2000000", 1.5e-7 ->
// "0.00000015", 5.31 -> "5.31". The shortest fixed text of a double has at
// most 309 digits before the point and 342 after it (4.9e-324, the
// smallest), so the buffer holds any.
std::string PlainDigits(double number) {
  char text[400];
  const auto written = std::to_chars(text, text + sizeof text, number, std::chars_format::fixed);
  return std::string(text, written.ptr);
}

class XlsxReader final : public RowReader {
 public:
  explicit XlsxReader(detail::InputFile file)
      : zip_(std::move(file)),
        cellsLimit_(kCellsFloor + kCellsPerFileByte * zip_.fileSize()),
        textLimit_(kTextFloor + kTextPerFileByte * zip_.fileSize()) {
    ReadWorkbook();
    if (zip_.Has("xl/sharedStrings.xml")) ReadSharedStrings("xl/sharedStrings.xml");
    if (zip_.Has("xl/styles.xml")) ReadStyles("xl/styles.xml");
    sheetSize_ = zip_.SizeOf(sheet_);
    sheetFile_ = zip_.Open(sheet_);
    parser_.emplace(Where(sheet_, true), zip_.elements());
    SetUpSheetParser();
  }

  bool Next(std::vector<std::string>& cells) override {
    while (rows_.empty() && !done_) FeedSheet();
    if (rows_.empty()) return false;
    cells = std::move(rows_.front().cells);
    kinds_ = std::move(rows_.front().kinds);
    rowNumber_ = rows_.front().number;
    rows_.pop_front();
    return true;
  }
  void Kinds(std::vector<CellKind>& kinds) const override { kinds = kinds_; }
  std::int64_t RowNumber() const override { return rowNumber_; }
  double Fraction() const override {
    return sheetSize_ == 0 ? 0 : std::min(1.0, static_cast<double>(sheetRead_) / sheetSize_);
  }
  bool ShortRowIsRagged() const override { return false; }
  std::string Sha256() const override { return zip_.sha256(); }

 private:
  [[noreturn]] void Fail(BatchProblem problem, std::string detail = {}) const {
    zip_.Fail({.problem = problem, .detail = std::move(detail)});
  }
  [[noreturn]] void FailRow(std::int64_t row, BatchProblem problem, std::string detail = {},
                            std::uint64_t number = 0) const {
    zip_.Fail({.problem = problem, .row = row, .number = number, .detail = std::move(detail)});
  }
  [[noreturn]] void FailLimit(BatchProblem problem, std::uint64_t limit) const {
    zip_.Fail({.problem = problem, .number = limit, .fileSize = zip_.fileSize()});
  }
  BatchErrorFacts Where(const std::string& part, bool isSheet = false) const {
    return {.file = zip_.name(), .part = part, .partIsSheet = isSheet};
  }

  void ReadWorkbook() {
    if (!zip_.Has("xl/workbook.xml")) {
      if (zip_.Has("xl/worksheets/sheet1.xml")) {
        sheet_ = "xl/worksheets/sheet1.xml";
        return;
      }
      Fail(BatchProblem::kNoWorkbook);
    }
    std::string firstSheetId;
    XmlParser workbook(Where("xl/workbook.xml"), zip_.elements());
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
    if (firstSheetId.empty()) Fail(BatchProblem::kNoSheets);
    std::string target;
    if (zip_.Has("xl/_rels/workbook.xml.rels")) {
      XmlParser relations(Where("xl/_rels/workbook.xml.rels"), zip_.elements());
      relations.onStart = [&](std::string_view name, const char** attributes) {
        const char* id = Attribute(attributes, "Id");
        const char* to = Attribute(attributes, "Target");
        if (name == "Relationship" && id != nullptr && to != nullptr && id == firstSheetId) {
          target = to;
        }
      };
      zip_.Parse("xl/_rels/workbook.xml.rels", relations);
    }
    if (target.empty()) Fail(BatchProblem::kFirstSheetNotFound);
    sheet_ = target.starts_with('/') ? target.substr(1) : "xl/" + target;
    if (!zip_.Has(sheet_)) Fail(BatchProblem::kFirstSheetMissing, Quoted(sheet_));
  }

  void ReadSharedStrings(const std::string& part) {
    shared_.Reserve(std::min<std::uint64_t>(zip_.SizeOf(part), kMaxSharedBytes));
    XmlParser parser(Where(part), zip_.elements());
    int phonetic = 0;  // inside <rPh>, the reading aid, not the text
    int item = 0;      // inside <si>
    bool inText = false;
    parser.onStart = [&](std::string_view name, const char**) {
      if (name == "si") ++item;
      if (name == "rPh") ++phonetic;
      if (name == "t") inText = item > 0 && phonetic == 0;
    };
    parser.onEnd = [&](std::string_view name) {
      if (name == "t") inText = false;
      if (name == "rPh") --phonetic;
      if (name == "si" && --item == 0) {
        if (shared_.size() == kMaxSharedStrings) {
          Fail(BatchProblem::kTooManySharedStrings);
        }
        shared_.End();
      }
    };
    parser.onText = [&](std::string_view text) {
      if (!inText) return;
      if (shared_.CurrentSize() + text.size() > kMaxCellBytes) {
        Fail(BatchProblem::kStringTooLong);
      }
      if (shared_.bytes() + text.size() > kMaxSharedBytes) {
        FailLimit(BatchProblem::kSharedStringsTooLarge, kMaxSharedBytes);
      }
      shared_.Append(text);
    };
    zip_.Parse(part, parser);
  }

  // Which cell formats show dates: the number formats by their id, then each
  // cell format's, each looked up once.
  void ReadStyles(const std::string& part) {
    XmlParser parser(Where(part), zip_.elements());
    std::unordered_map<int, bool> formatShowsDate;
    std::vector<int> xfFormats;
    bool inCellXfs = false;
    parser.onStart = [&](std::string_view name, const char** attributes) {
      if (name == "numFmt") {
        const char* id = Attribute(attributes, "numFmtId");
        const char* code = Attribute(attributes, "formatCode");
        const auto number = id == nullptr ? std::nullopt : WholeNumber<int>(id);
        if (!number || code == nullptr) return;
        if (formatShowsDate.size() == kMaxStyles) Fail(BatchProblem::kTooManyNumberFormats);
        formatShowsDate[*number] = IsDateFormat(*number, code);
      } else if (name == "cellXfs") {
        inCellXfs = true;
      } else if (name == "xf" && inCellXfs) {
        if (xfFormats.size() == kMaxStyles) Fail(BatchProblem::kTooManyCellFormats);
        const char* id = Attribute(attributes, "numFmtId");
        xfFormats.push_back(id == nullptr ? 0 : WholeNumber<int>(id).value_or(0));
      }
    };
    parser.onEnd = [&](std::string_view name) {
      if (name == "cellXfs") inCellXfs = false;
    };
    zip_.Parse(part, parser);
    dateStyles_.reserve(xfFormats.size());
    for (const int id : xfFormats) {
      const auto custom = formatShowsDate.find(id);
      dateStyles_.push_back(custom != formatShowsDate.end() ? custom->second
                                                            : IsDateFormat(id, {}));
    }
  }

  void SetUpSheetParser() {
    parser_->onStart = [this](std::string_view name, const char** attributes) {
      if (name == "row") {
        StartRow(Attribute(attributes, "r"));
      } else if (name == "c" && inRow_) {
        StartCell(attributes);
      } else if (inCell_ && (name == "v" || (name == "t" && type_ == "inlineStr"))) {
        inValue_ = true;
      } else if (name == "rPh") {
        ++phonetic_;
      }
    };
    parser_->onEnd = [this](std::string_view name) {
      if (name == "v" || name == "t") {
        inValue_ = false;
      } else if (name == "rPh") {
        --phonetic_;
      } else if (name == "c" && inCell_) {
        EndCell();
      } else if (name == "row" && inRow_) {
        inRow_ = false;
        lastRow_ = currentRow_;
        rows_.push_back({currentRow_, std::move(row_), std::move(rowKinds_)});
        row_ = {};
        rowKinds_ = {};
        parser_->Suspend();  // one row at a time
      }
    };
    parser_->onText = [this](std::string_view text) {
      if (!inValue_ || phonetic_ > 0) return;
      if (value_.size() + text.size() > kMaxCellBytes)
        FailRow(currentRow_, BatchProblem::kCellTooLong);
      value_ += text;
    };
  }

  // Rows come in order, numbered 1 to 1,048,576.
  void StartRow(const char* r) {
    if (inRow_) FailRow(currentRow_, BatchProblem::kRowNotEnded);
    std::int64_t number = lastRow_ + 1;
    if (r != nullptr) {
      const auto given = WholeNumber<std::int64_t>(r);
      if (!given || *given < 1)
        FailRow(lastRow_ + 1, BatchProblem::kRowNumberUnreadable, Quoted(r));
      number = *given;
    }
    if (number > kXlsxMaxRows) FailRow(number, BatchProblem::kRowPastSheetEnd);
    if (number <= lastRow_) {
      FailRow(number, BatchProblem::kRowOutOfOrder, {}, static_cast<std::uint64_t>(lastRow_));
    }
    currentRow_ = number;
    row_.clear();
    rowKinds_.clear();
    rowText_ = 0;
    nextColumn_ = 0;
    inRow_ = true;
  }

  // Cells come in order within their row, A to XFD.
  void StartCell(const char** attributes) {
    const char* r = Attribute(attributes, "r");
    if (r != nullptr) {
      const auto reference = ParseReference(r);
      if (!reference) FailRow(currentRow_, BatchProblem::kCellReferenceUnreadable, Quoted(r));
      if (reference->column < nextColumn_) {
        zip_.Fail({.problem = BatchProblem::kCellOutOfOrder,
                   .row = currentRow_,
                   .column = static_cast<std::int64_t>(reference->column) + 1,
                   .detail = Quoted(r)});
      }
      column_ = reference->column;
    } else {
      if (nextColumn_ >= kMaxColumns) FailRow(currentRow_, BatchProblem::kColumnPastXfd);
      column_ = nextColumn_;
    }
    const char* type = Attribute(attributes, "t");
    type_ = type == nullptr ? "n" : type;
    const char* style = Attribute(attributes, "s");
    const auto s =
        style == nullptr ? std::optional<std::size_t>(0) : WholeNumber<std::size_t>(style);
    isDate_ = s && *s < dateStyles_.size() && dateStyles_[*s];
    value_.clear();
    inCell_ = true;
  }

  void EndCell() {
    inCell_ = false;
    inValue_ = false;
    nextColumn_ = column_ + 1;
    CellKind kind = CellKind::kText;
    std::string text = CellText(kind);
    rowText_ += text.size();
    sheetText_ += text.size();
    sheetCells_ += column_ + 1 - row_.size();
    if (rowText_ > kMaxRowTextBytes) FailRow(currentRow_, BatchProblem::kRowTextTooLong);
    if (sheetText_ > textLimit_) FailLimit(BatchProblem::kSheetTextTooLarge, textLimit_);
    if (sheetCells_ > cellsLimit_) FailLimit(BatchProblem::kSheetTooManyCells, cellsLimit_);
    row_.resize(column_ + 1);
    row_[column_] = std::move(text);
    rowKinds_.resize(column_ + 1, CellKind::kText);
    rowKinds_[column_] = kind;
  }

  // The cell's text, and in `kind` what the cell is. A number is written in
  // plain digits, as short as gives its value back: 100000 -> "100000"
  // (never "1e+05"), 1.5e-07 -> "0.00000015".
  std::string CellText(CellKind& kind) const {
    if (type_ == "s") {
      const auto index = WholeNumber<std::size_t>(value_);
      if (!index || *index >= shared_.size()) {
        FailRow(currentRow_, BatchProblem::kSharedStringMissing, Quoted(value_));
      }
      const std::string_view text = shared_[*index];
      if (rowText_ + text.size() > kMaxRowTextBytes)
        FailRow(currentRow_, BatchProblem::kRowTextTooLong);
      return std::string(text);
    }
    if (type_ == "b") {
      kind = CellKind::kBoolean;
      return value_ == "1" ? "TRUE" : "FALSE";
    }
    if (type_ == "d") {
      kind = CellKind::kDate;
      return value_.substr(0, 10);
    }
    if (type_ != "n") return value_;  // str, inlineStr, e
    const auto number = WholeNumber<double>(value_);
    if (!number) return value_;
    if (isDate_ && *number >= 1 && *number < 2958466) {
      kind = CellKind::kDate;
      return SerialDate(*number, from1904_);
    }
    kind = CellKind::kNumber;
    return PlainDigits(*number);
  }

  void FeedSheet() {
    bool whole = true;  // what was handed to the parser is parsed
    if (parser_->Suspended()) {
      whole = parser_->Resume();
    } else {
      char* buffer = parser_->Buffer(kBlockSize);
      const std::size_t got = zip_.Read(sheetFile_.get(), sheet_, buffer, kBlockSize);
      sheetRead_ += got;
      sheetEnded_ = got == 0;
      whole = parser_->Parse(got, sheetEnded_);
    }
    if (whole && sheetEnded_) {
      done_ = true;
      sheetFile_.reset();
      zip_.CheckUnchanged();
    }
  }

  ZipArchive zip_;
  const std::uint64_t cellsLimit_, textLimit_;
  std::string sheet_;
  bool from1904_ = false;
  SharedStrings shared_;
  std::vector<bool> dateStyles_;
  ZipFile sheetFile_;
  std::uint64_t sheetSize_ = 0, sheetRead_ = 0;
  std::optional<XmlParser> parser_;
  bool sheetEnded_ = false, done_ = false;
  struct ReadRow {
    std::int64_t number;
    std::vector<std::string> cells;
    std::vector<CellKind> kinds;
  };
  std::deque<ReadRow> rows_;
  std::vector<CellKind> rowKinds_, kinds_;
  std::int64_t rowNumber_ = 0, currentRow_ = 0, lastRow_ = 0;
  std::vector<std::string> row_;
  std::size_t column_ = 0, nextColumn_ = 0, rowText_ = 0;
  std::uint64_t sheetCells_ = 0, sheetText_ = 0;
  std::string type_ = "n", value_;
  bool inRow_ = false, inCell_ = false, isDate_ = false, inValue_ = false;
  int phonetic_ = 0;
};

}  // namespace

namespace detail {

std::unique_ptr<RowReader> ReadXlsx(InputFile file) {
  return std::make_unique<XlsxReader>(std::move(file));
}

}  // namespace detail

std::unique_ptr<RowReader> OpenXlsxReader(const std::filesystem::path& file) {
  return detail::ReadXlsx(detail::InputFile::Open(file));
}

}  // namespace quillbary::batch
