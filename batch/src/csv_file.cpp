// The CSV reader: decodes the file block by block into UTF-8 and cuts it into
// rows, so that memory stays the same whatever the file's length.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "gb18030_decoder.h"
#include "open_reader.h"
#include "quillbary/batch_file.h"
#include "quillbary/sha256.h"
#include "text_fold.h"

namespace quillbary::batch {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;  // read at a time
constexpr std::size_t kMaxCellBytes = 1 << 20;
constexpr std::size_t kMaxRowBytes = 4 << 20;

enum class Encoding { kUtf8Unchecked, kUtf8Checked, kConverted };

class CsvReader final : public RowReader {
 public:
  explicit CsvReader(detail::InputFile file)
      : file_(std::move(file)), name_(file_.name()), size_(file_.size()) {
    ChooseEncoding();
  }

  bool Next(std::vector<std::string>& cells) override;
  std::int64_t RowNumber() const override { return rowLine_; }
  double Fraction() const override {
    return size_ == 0 ? 1.0 : std::min(1.0, static_cast<double>(bytesRead_) / size_);
  }
  bool ShortRowIsRagged() const override { return true; }
  std::string Sha256() const override { return digest_; }

 private:
  [[noreturn]] void Fail(BatchProblem problem, std::int64_t line = 0, std::uint64_t count = 0,
                         std::string detail = {}) const {
    throw BatchFileError({.problem = problem,
                          .file = name_,
                          .row = line,
                          .number = count,
                          .systemError = problem == BatchProblem::kCannotRewind ? errno : 0,
                          .detail = std::move(detail)});
  }
  std::size_t ReadBlock(std::string& into);
  void ChooseEncoding();
  void OpenConverter();
  bool Refill();
  void Decode();
  std::int64_t LineAtTextEnd() const {
    return line_ + std::count(text_.begin() + static_cast<std::ptrdiff_t>(pos_), text_.end(), '\n');
  }

  detail::InputFile file_;
  std::string name_;
  std::uint64_t size_ = 0;       // when opened; reading past it means the file grew
  std::uint64_t bytesRead_ = 0;  // on this pass
  bool hashing_ = true;          // off while the encoding is decided over the file
  files::Sha256 sha256_;
  std::string digest_;  // once the end is read
  Encoding encoding_ = Encoding::kUtf8Unchecked;
  std::unique_ptr<detail::Gb18030Decoder> converter_;
  bool atEnd_ = false;
  std::string raw_;   // bytes read and not yet decoded
  std::string text_;  // decoded text; rows start at pos_
  std::size_t pos_ = 0;
  std::int64_t line_ = 1;      // the line at pos_
  std::int64_t rowLine_ = 0;   // the line the last row started on
  bool headerRead_ = false;    // a row with more than blanks has been read
  std::string beyondColumns_;  // where the cells past kMaxColumns are cut, to count them
};

std::size_t CsvReader::ReadBlock(std::string& into) {
  const std::size_t old = into.size();
  into.resize(old + kBlockSize);
  const std::size_t got = file_.Read(into.data() + old, kBlockSize);
  into.resize(old + got);
  bytesRead_ += got;
  if (bytesRead_ > size_) file_.RefuseChanged();  // it grew
  if (hashing_) {
    sha256_.Add(std::string_view(into).substr(old));
    if (got == 0) {
      if (bytesRead_ != size_) file_.RefuseChanged();
      file_.CheckUnchanged();
      digest_ = sha256_.HexDigest();
    }
  }
  return got;
}

void CsvReader::OpenConverter() {
  converter_ = std::make_unique<detail::Gb18030Decoder>();
  if (!converter_->Usable()) {
    Fail(BatchProblem::kNoConverter, 0, 0, "GB18030");
  }
  encoding_ = Encoding::kConverted;
}

void CsvReader::ChooseEncoding() {
  ReadBlock(raw_);
  if (detail::IsCompoundDocument(raw_)) detail::RefuseCompoundDocument(name_);
  const auto starts = [&](std::string_view bom) {
    if (!std::string_view(raw_).starts_with(bom)) return false;
    raw_.erase(0, bom.size());
    return true;
  };
  if (starts("\xEF\xBB\xBF")) {
    encoding_ = Encoding::kUtf8Checked;
  } else if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
    Fail(BatchProblem::kUtf16);
  } else if (starts("\x84\x31\x95\x33")) {
    OpenConverter();
  } else {
    // No BOM: UTF-8 if the whole file is, else GB18030. One pass over the
    // file decides, block by block, before any row is read; the rows are
    // then read, and hashed, from the start again.
    hashing_ = false;
    std::string scan = raw_;
    bool valid = true;
    bool more = true;
    while (true) {
      const std::size_t good = detail::ValidUtf8Prefix(scan);
      if (good < scan.size() && (good + 4 <= scan.size() || !more)) {
        valid = false;
        break;
      }
      if (!more) break;
      scan.erase(0, good);
      more = ReadBlock(scan) > 0;
    }
    if (!files::Rewind(file_.fd())) {
      Fail(BatchProblem::kCannotRewind);
    }
    bytesRead_ = 0;
    raw_.clear();
    sha256_ = files::Sha256();
    hashing_ = true;
    if (valid) {
      encoding_ = Encoding::kUtf8Unchecked;
    } else {
      OpenConverter();
    }
  }
}

void CsvReader::Decode() {
  const std::size_t old = text_.size();
  switch (encoding_) {
    case Encoding::kUtf8Unchecked:
      text_ += raw_;
      raw_.clear();
      break;
    case Encoding::kUtf8Checked: {
      const std::size_t good = detail::ValidUtf8Prefix(raw_);
      if (good < raw_.size() && (atEnd_ || good + 4 <= raw_.size())) {
        text_.append(raw_, 0, good);
        Fail(BatchProblem::kNotUtf8AfterBom, LineAtTextEnd());
      }
      text_.append(raw_, 0, good);
      raw_.erase(0, good);
      break;
    }
    case Encoding::kConverted: {
      const auto result = converter_->Decode(raw_, text_);
      if (result == detail::Gb18030Decoder::Result::kInvalid ||
          (result == detail::Gb18030Decoder::Result::kCutOff && atEnd_)) {
        Fail(BatchProblem::kNotText, LineAtTextEnd());
      }
      break;
    }
  }
  if (std::memchr(text_.data() + old, '\0', text_.size() - old) != nullptr) {
    text_.resize(old + std::strlen(text_.c_str() + old));
    Fail(BatchProblem::kNulByte, LineAtTextEnd());
  }
}

bool CsvReader::Refill() {
  text_.erase(0, pos_);
  pos_ = 0;
  const std::size_t before = text_.size();
  while (text_.size() == before) {
    if (atEnd_) return false;
    if (ReadBlock(raw_) == 0) atEnd_ = true;
    Decode();
    if (atEnd_ && !raw_.empty()) Fail(BatchProblem::kTruncatedCharacter, LineAtTextEnd());
  }
  return true;
}

bool CsvReader::Next(std::vector<std::string>& cells) {
  if (pos_ >= text_.size() && !Refill()) return false;
restart:
  std::size_t count = 0;
  std::size_t p = pos_;
  std::int64_t newlines = 0;
  // The cells past kMaxColumns are only counted, for the message.
  const auto cell = [&]() -> std::string& {
    std::string& c = count >= kMaxColumns    ? beyondColumns_
                     : count == cells.size() ? cells.emplace_back()
                                             : cells[count];
    ++count;
    c.clear();
    return c;
  };
  // Runs out of text in the middle of a row: reads on and cuts the row again.
  const auto more = [&]() {
    const std::size_t offset = p - pos_;
    if (offset > kMaxRowBytes) Fail(BatchProblem::kRowTooLong, line_);
    const bool got = Refill();  // moves the row's start to 0
    p = pos_ + offset;
    return got;
  };
  while (true) {
    std::string& field = cell();
    if (p < text_.size() && text_[p] == '"') {
      const std::int64_t quoteLine = line_ + newlines;
      ++p;
      while (true) {
        const char* quote =
            static_cast<const char*>(std::memchr(text_.data() + p, '"', text_.size() - p));
        const std::size_t end = quote == nullptr ? text_.size() : quote - text_.data();
        newlines += std::count(text_.begin() + p, text_.begin() + end, '\n');
        field.append(text_, p, end - p);
        p = end;
        if (field.size() > kMaxCellBytes) Fail(BatchProblem::kCellTooLong, quoteLine);
        if (p + 1 >= text_.size()) {
          if (!more()) {
            if (p >= text_.size()) Fail(BatchProblem::kQuoteNotClosed, quoteLine);
            ++p;  // the closing quote is the file's last character
            break;
          }
          goto restart;
        }
        if (text_[p + 1] == '"') {
          field.push_back('"');
          p += 2;
          continue;
        }
        ++p;
        break;
      }
    }
    // Unquoted text, or what follows a closing quote, up to the field's end.
    std::size_t end = p;
    while (end < text_.size() && text_[end] != ',' && text_[end] != '\n' && text_[end] != '\r') {
      ++end;
    }
    field.append(text_, p, end - p);
    if (field.size() > kMaxCellBytes) Fail(BatchProblem::kCellTooLong, line_ + newlines);
    p = end;
    if (p >= text_.size()) {
      if (more()) goto restart;
      break;  // the last row has no line break
    }
    if (text_[p] == ',') {
      ++p;
      if (p >= text_.size()) {
        if (more()) goto restart;
        cell();  // a trailing comma at the file's end ends with an empty field
        break;
      }
      continue;
    }
    if (text_[p] == '\r') {
      if (p + 1 >= text_.size()) {
        if (more()) goto restart;
        ++p;
        break;
      }
      ++p;
      if (text_[p] == '\n') ++p;
    } else {
      ++p;
    }
    ++newlines;
    break;
  }
  // Row 0 names the header.
  if (count > kMaxColumns) Fail(BatchProblem::kTooManyColumns, headerRead_ ? line_ : 0, count);
  cells.resize(count);
  headerRead_ = headerRead_ || !detail::IsBlank(cells);
  rowLine_ = line_;
  line_ += newlines;
  pos_ = p;
  return true;
}

}  // namespace

namespace detail {

std::unique_ptr<RowReader> ReadCsv(InputFile file) {
  return std::make_unique<CsvReader>(std::move(file));
}

}  // namespace detail

std::unique_ptr<RowReader> OpenCsvReader(const std::filesystem::path& file) {
  return detail::ReadCsv(detail::InputFile::Open(file));
}

}  // namespace quillbary::batch
