#include "quillbary/csv_text.h"

#include <charconv>
#include <cmath>

namespace quillbary::files {

bool IsPlainNumber(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return false;
  }
  // from_chars reads "inf", "nan" and hex digits' words too: digits only here.
  if (text.empty() || text.find_first_not_of("-.0123456789eE+") != std::string_view::npos) {
    return false;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

std::string GuardedCell(std::string_view text) {
  std::string cell;
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
      !IsPlainNumber(text)) {
    cell.push_back('\'');
  }
  cell.append(text);
  return cell;
}

void AppendCsvField(std::string_view text, bool first, std::string& out) {
  if (!first) out.push_back(',');
  const bool risky = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) !=
                                          std::string_view::npos;
  const std::string guarded = risky ? GuardedCell(text) : std::string();
  const std::string_view cell = risky ? std::string_view(guarded) : text;
  if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(cell);
    return;
  }
  out.push_back('"');
  for (const char c : cell) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void AppendCsvLine(std::span<const std::string> fields, std::string& out) {
  for (std::size_t i = 0; i < fields.size(); ++i) AppendCsvField(fields[i], i == 0, out);
  out.append("\r\n");
}

namespace {
constexpr std::size_t kFlushSize = 1 << 20;  // written at a time
}  // namespace

CsvFile::CsvFile(const std::filesystem::path& target, const WriteOptions& options)
    : file_(target, options), buffer_(kCsvStart) {}

void CsvFile::AddLine(std::span<const std::string> fields) {
  AppendCsvLine(fields, buffer_);
  FlushIfFull();
}

void CsvFile::AddBytes(std::string_view lines) {
  if (lines.size() >= kFlushSize) {
    Flushed().Write(lines);
    return;
  }
  buffer_.append(lines);
  FlushIfFull();
}

SafeFile& CsvFile::Flushed() {
  if (!buffer_.empty()) file_.Write(buffer_);
  buffer_.clear();
  return file_;
}

void CsvFile::FlushIfFull() {
  if (buffer_.size() >= kFlushSize) Flushed();
}

}  // namespace quillbary::files
