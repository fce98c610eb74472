// The CSV reader: decodes the file block by block into UTF-8 and cuts it into
// rows, so that memory stays the same whatever the file's length.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "atomic_file.h"
#include "quillbary/batch_file.h"
#include "text_fold.h"

namespace quillbary {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;  // read at a time
constexpr std::size_t kFlushSize = 1 << 20;  // written at a time
constexpr std::size_t kMaxCellBytes = 1 << 20;
constexpr std::size_t kMaxRowBytes = 4 << 20;

enum class Encoding { kUtf8Unchecked, kUtf8Checked, kConverted };

class CsvReader final : public RowReader {
 public:
  explicit CsvReader(const std::filesystem::path& file) : name_(file.string()) {
    file_ = std::fopen(name_.c_str(), "rb");
    if (file_ == nullptr) {
      throw BatchFileError(name_ + "：无法读取（" + std::strerror(errno) + "）");
    }
    std::error_code ignored;
    size_ = std::filesystem::file_size(file, ignored);
    ChooseEncoding();
  }

  ~CsvReader() override {
    if (converter_ != reinterpret_cast<iconv_t>(-1)) iconv_close(converter_);
    std::fclose(file_);
  }

  bool Next(std::vector<std::string>& cells) override;
  std::int64_t RowNumber() const override { return rowLine_; }
  double Fraction() const override {
    return size_ == 0 ? 1.0 : std::min(1.0, static_cast<double>(bytesRead_) / size_);
  }
  bool ShortRowIsRagged() const override { return true; }

 private:
  [[noreturn]] void Fail(std::int64_t line, const std::string& what) const {
    throw BatchFileError(name_ + "：第 " + std::to_string(line) + " 行" + what);
  }
  std::size_t ReadBlock(std::string& into);
  void ChooseEncoding();
  void OpenConverter(const char* from);
  bool Refill();
  void Decode();
  std::int64_t LineAtTextEnd() const {
    return line_ + std::count(text_.begin() + static_cast<std::ptrdiff_t>(pos_), text_.end(), '\n');
  }

  std::string name_;
  std::FILE* file_ = nullptr;
  std::uintmax_t size_ = 0;
  std::uintmax_t bytesRead_ = 0;
  Encoding encoding_ = Encoding::kUtf8Unchecked;
  iconv_t converter_ = reinterpret_cast<iconv_t>(-1);
  bool atEnd_ = false;
  std::string raw_;   // bytes read and not yet decoded
  std::string text_;  // decoded text; rows start at pos_
  std::size_t pos_ = 0;
  std::int64_t line_ = 1;     // the line at pos_
  std::int64_t rowLine_ = 0;  // the line the last row started on
};

std::size_t CsvReader::ReadBlock(std::string& into) {
  const std::size_t old = into.size();
  into.resize(old + kBlockSize);
  const std::size_t got = std::fread(into.data() + old, 1, kBlockSize, file_);
  into.resize(old + got);
  if (got == 0 && std::ferror(file_)) {
    throw BatchFileError(name_ + "：读取失败（" + std::strerror(errno) + "）");
  }
  bytesRead_ += got;
  return got;
}

void CsvReader::OpenConverter(const char* from) {
  converter_ = iconv_open("UTF-8", from);
  if (converter_ == reinterpret_cast<iconv_t>(-1)) {
    throw BatchFileError(name_ + "：本机不能转换 " + from + " 编码");
  }
  encoding_ = Encoding::kConverted;
}

void CsvReader::ChooseEncoding() {
  ReadBlock(raw_);
  const auto starts = [&](std::string_view bom) {
    if (!std::string_view(raw_).starts_with(bom)) return false;
    raw_.erase(0, bom.size());
    return true;
  };
  if (starts("\xEF\xBB\xBF")) {
    encoding_ = Encoding::kUtf8Checked;
  } else if (starts("\xFF\xFE")) {
    OpenConverter("UTF-16LE");
  } else if (starts("\xFE\xFF")) {
    OpenConverter("UTF-16BE");
  } else if (starts("\x84\x31\x95\x33")) {
    OpenConverter("GB18030");
  } else {
    // No BOM: UTF-8 if the whole file is, else GB18030. One pass over the
    // file decides, block by block, before any row is read.
    std::string scan = raw_;
    bool valid = true;
    bool more = true;
    while (true) {
      const std::size_t good = batch_detail::ValidUtf8Prefix(scan);
      if (good < scan.size() && (good + 4 <= scan.size() || !more)) {
        valid = false;
        break;
      }
      if (!more) break;
      scan.erase(0, good);
      more = ReadBlock(scan) > 0;
    }
    std::rewind(file_);
    bytesRead_ = 0;
    raw_.clear();
    if (valid) {
      encoding_ = Encoding::kUtf8Unchecked;
    } else {
      OpenConverter("GB18030");
    }
    return;
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
      const std::size_t good = batch_detail::ValidUtf8Prefix(raw_);
      if (good < raw_.size() && (atEnd_ || good + 4 <= raw_.size())) {
        text_.append(raw_, 0, good);
        Fail(LineAtTextEnd(), "含有不是 UTF-8 的字节，而文件开头的标记说它是 UTF-8");
      }
      text_.append(raw_, 0, good);
      raw_.erase(0, good);
      break;
    }
    case Encoding::kConverted: {
      char* in = raw_.data();
      std::size_t inLeft = raw_.size();
      while (inLeft > 0) {
        const std::size_t start = text_.size();
        text_.resize(start + inLeft * 2 + 16);
        char* out = text_.data() + start;
        std::size_t outLeft = text_.size() - start;
        const std::size_t done = iconv(converter_, &in, &inLeft, &out, &outLeft);
        text_.resize(text_.size() - outLeft);
        if (done != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        if (errno == EINVAL && !atEnd_) break;  // cut off: the next block completes it
        Fail(LineAtTextEnd(), "含有既不是 UTF-8 也不是 GB18030 的字节：这不是文本 CSV 文件");
      }
      raw_.erase(0, raw_.size() - inLeft);
      break;
    }
  }
  if (std::memchr(text_.data() + old, '\0', text_.size() - old) != nullptr) {
    text_.resize(old + std::strlen(text_.c_str() + old));
    Fail(LineAtTextEnd(), "含有 NUL 字节：这不是文本 CSV 文件");
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
    if (atEnd_ && !raw_.empty()) Fail(LineAtTextEnd(), "的末尾有残缺的字符");
  }
  return true;
}

bool CsvReader::Next(std::vector<std::string>& cells) {
  if (pos_ >= text_.size() && !Refill()) return false;
restart:
  std::size_t count = 0;
  std::size_t p = pos_;
  std::int64_t newlines = 0;
  const auto cell = [&]() -> std::string& {
    if (count == cells.size()) cells.emplace_back();
    std::string& c = cells[count++];
    c.clear();
    return c;
  };
  // Runs out of text in the middle of a row: reads on and cuts the row again.
  const auto more = [&]() {
    const std::size_t offset = p - pos_;
    if (offset > kMaxRowBytes) Fail(line_, "超过 4 MB：这不是表格的一行");
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
        if (field.size() > kMaxCellBytes) Fail(quoteLine, "的单元格超过 1 MB");
        if (p + 1 >= text_.size()) {
          if (!more()) {
            if (p >= text_.size()) Fail(quoteLine, "起的引号直到文件末尾都没有结束");
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
    if (field.size() > kMaxCellBytes) Fail(line_ + newlines, "的单元格超过 1 MB");
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
  cells.resize(count);
  rowLine_ = line_;
  line_ += newlines;
  pos_ = p;
  return true;
}

// Appends a field, quoted when it holds a comma, a quote or a line break.
void AppendField(std::string_view text, bool first, std::string& out) {
  if (!first) out.push_back(',');
  bool plain = true;
  for (char c : text) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') {
      plain = false;
      break;
    }
  }
  if (plain) {
    out.append(text);
    return;
  }
  out.push_back('"');
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

class CsvWriter final : public RowWriter {
 public:
  explicit CsvWriter(const std::filesystem::path& file) : file_(file) { buffer_ = "\xEF\xBB\xBF"; }

  void WriteHeader(std::span<const std::string> names) override {
    for (std::size_t i = 0; i < names.size(); ++i) AppendField(names[i], i == 0, buffer_);
    for (std::string_view name : kResultColumns) AppendField(name, false, buffer_);
    EndLine();
  }

  void WriteRow(std::span<const std::string> carried, const ResultCells& results) override {
    EncodeRow(carried, results, buffer_);
    Flush(false);
  }

  void WriteTexts(std::span<const std::string> cells) override {
    for (std::size_t i = 0; i < cells.size(); ++i) AppendField(cells[i], i == 0, buffer_);
    EndLine();
  }

  bool EncodesRows() const override { return true; }

  void EncodeRow(std::span<const std::string> carried, const ResultCells& results,
                 std::string& out) const override {
    for (std::size_t i = 0; i < carried.size(); ++i) AppendField(carried[i], i == 0, out);
    for (const std::string& cell : results) AppendField(cell, false, out);
    out.append("\r\n");
  }

  void WriteEncoded(std::string_view bytes) override {
    Flush(true);
    file_.Write(bytes.data(), bytes.size());
  }

  void Commit(const BeforeReplace& beforeReplace) override {
    Flush(true);
    file_.Commit(beforeReplace);
  }

 private:
  void EndLine() {
    buffer_.append("\r\n");
    Flush(false);
  }

  void Flush(bool always) {
    if (buffer_.empty() || (!always && buffer_.size() < kFlushSize)) return;
    file_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
  }

  batch_detail::AtomicFile file_;
  std::string buffer_;
};

}  // namespace

std::unique_ptr<RowReader> OpenCsvReader(const std::filesystem::path& file) {
  return std::make_unique<CsvReader>(file);
}

std::unique_ptr<RowWriter> CreateCsvWriter(const std::filesystem::path& file) {
  return std::make_unique<CsvWriter>(file);
}

}  // namespace quillbary
