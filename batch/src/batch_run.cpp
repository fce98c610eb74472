#include "quillbary/batch_run.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "quillbary/batch_file.h"
#include "quillbary/batch_row.h"
#include "open_reader.h"
#include "text_fold.h"

namespace quillbary {
namespace {

constexpr std::array<std::string_view, 0> kNoAliases{};
constexpr std::array<std::string_view, 2> kRateAliases{"利率(‰)", "月利率"};

constexpr std::array<InputColumn, 9> kInputColumns{{
    {"借款日期", kNoAliases, true},
    {"到期日期", kNoAliases, true},
    {"还款日期", kNoAliases, true},
    {"起息日期", kNoAliases, true},
    {"还款金额", kNoAliases, true},
    {"月利率(‰)", kRateAliases, true},
    {"还款方式", kNoAliases, true},
    {"借款人", kNoAliases, false},
    {"借据号", kNoAliases, false},
}};
enum InputIndex { kLoan, kDue, kRepaid, kStart, kAmount, kRate, kMethod };

// A chunk ends at 4096 rows, or sooner once its rows hold 256 Ki cells (each
// row counted at its own width or the header's, which it is padded to): a
// sheet 16,384 columns wide then goes 16 rows at a time, so that the chunks
// in flight stay within tens of megabytes whatever the sheet's width.
constexpr std::size_t kChunkRows = 4096;
constexpr std::size_t kChunkCells = std::size_t{256} << 10;
// A row or cell kept for reuse that grew past these is let go instead: one
// wide or long row must not keep its memory for the rest of the run.
constexpr std::size_t kKeptCellBytes = std::size_t{64} << 10;

// A money text's value in fen, kept exactly for any sum of a file's totals.
__extension__ typedef __int128 Fen;

// Adds a total ("561.98", "-3.5", "1.5E+20") to `sum`; false when the text is
// no money text or the sum leaves the range kept.
bool AddMoney(std::string_view text, Fen& sum) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  Fen digits = 0;
  int places = 0;  // the power of ten of the last digit read
  int digitCount = 0;
  bool afterPoint = false;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !afterPoint) {
      afterPoint = true;
    } else if (c >= '0' && c <= '9') {
      if (++digitCount > 30) return false;
      digits = digits * 10 + (c - '0');
      if (afterPoint) --places;
    } else {
      break;
    }
  }
  if (i < text.size()) {
    if (text[i] != 'E' && text[i] != 'e') return false;
    int exponent = 0;
    const std::string_view rest = text.substr(i + 1);
    const bool minus = rest.starts_with('-');
    for (char c : rest.substr(rest.starts_with('-') || rest.starts_with('+') ? 1 : 0)) {
      if (c < '0' || c > '9' || exponent > 100) return false;
      exponent = exponent * 10 + (c - '0');
    }
    places += minus ? -exponent : exponent;
  }
  for (int shift = places + 2; shift > 0; --shift) {
    if (digits > Fen(1) << 100) return false;
    digits *= 10;
  }
  for (int shift = places + 2; shift < 0; ++shift) digits /= 10;
  sum += negative ? -digits : digits;
  return sum < (Fen(1) << 110) && sum > -(Fen(1) << 110);
}

std::string MoneyText(Fen fen) {
  const bool negative = fen < 0;
  if (negative) fen = -fen;
  std::string digits;
  for (Fen yuan = fen / 100; yuan > 0 || digits.empty(); yuan /= 10) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(yuan % 10)));
  }
  const int cents = static_cast<int>(fen % 100);
  return (negative ? "-" : "") + digits + "." + static_cast<char>('0' + cents / 10) +
         static_cast<char>('0' + cents % 10);
}

// Full-width brackets fold to ASCII, so "月利率（‰）" is 月利率(‰).
bool SameName(std::string_view header, std::string_view name) {
  return batch_detail::FoldedAndTrimmed(header) == name;
}

struct Chunk {
  std::vector<std::vector<std::string>> rows;  // capacity kept from chunk to chunk
  std::size_t count = 0;
  std::vector<RowOutcome> outcomes;
  std::string encoded;        // the rows as the writer's bytes, when it encodes them
  std::int64_t rowsRead = 0;  // up to this chunk's end
  double fraction = 0;        // of the file read, at this chunk's end
};

struct Layout {
  std::vector<int> columns;  // FindInputColumns
  std::size_t width;         // the header's cells
  bool shortRowIsRagged;
};

std::string RaggedText(std::size_t cells, std::size_t width) {
  return (cells > width ? "本行有 " : "本行只有 ") + std::to_string(cells) + " 列，表头有 " +
         std::to_string(width) + " 列";
}

// Calculates one row and trims or fills its cells to the header's width.
RowOutcome CalculateCells(std::vector<std::string>& cells, const Layout& layout) {
  std::size_t used = cells.size();
  while (used > layout.width && cells[used - 1].empty()) --used;
  const bool ragged =
      used > layout.width || (cells.size() < layout.width && layout.shortRowIsRagged);
  const std::size_t had = cells.size();
  cells.resize(layout.width);
  if (ragged) {
    RowOutcome outcome;
    outcome.cells[kError] = RaggedText(had, layout.width);
    return outcome;
  }
  const auto cell = [&](int input) -> std::string_view {
    return cells[static_cast<std::size_t>(layout.columns[input])];
  };
  return CalculateRow({cell(kLoan), cell(kDue), cell(kRepaid), cell(kStart), cell(kAmount),
                       cell(kRate), cell(kMethod)});
}

void Compute(Chunk& chunk, const Layout& layout, const RowWriter& writer) {
  chunk.outcomes.resize(chunk.count);
  chunk.encoded.clear();
  for (std::size_t i = 0; i < chunk.count; ++i) {
    chunk.outcomes[i] = CalculateCells(chunk.rows[i], layout);
    if (writer.EncodesRows())
      writer.EncodeRow(chunk.rows[i], chunk.outcomes[i].cells, chunk.encoded);
  }
}

bool IsBlank(const std::vector<std::string>& cells) {
  return std::all_of(cells.begin(), cells.end(), [](const std::string& c) {
    return c.find_first_not_of(" \t") == std::string::npos;
  });
}

// Reads chunks of rows on a thread of its own and starts each one's
// calculation at once; hands them back, calculated, in the order read. At
// most `inFlight` chunks exist at a time, so memory does not grow with the
// file.
class ChunkReader {
 public:
  ChunkReader(RowReader& reader, const Layout& layout, const RowWriter& encoder,
              std::size_t inFlight)
      : reader_(reader), layout_(layout), encoder_(encoder), limit_(inFlight) {
    thread_ = std::thread(&ChunkReader::Run, this);
  }

  ~ChunkReader() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  ChunkReader(const ChunkReader&) = delete;
  ChunkReader& operator=(const ChunkReader&) = delete;

  // The next chunk, calculated; nullptr after the last. Rethrows what
  // stopped the reading once the chunks read before it are handed back.
  std::unique_ptr<Chunk> Next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) {
      if (error_) std::rethrow_exception(error_);
      return nullptr;
    }
    auto [chunk, calculated] = std::move(ready_.front());
    ready_.pop_front();
    lock.unlock();
    calculated.get();
    return std::move(chunk);
  }

  // A written chunk, to be filled again.
  void Recycle(std::unique_ptr<Chunk> chunk) {
    {
      std::lock_guard lock(mutex_);
      spare_.push_back(std::move(chunk));
    }
    changed_.notify_all();
  }

 private:
  std::unique_ptr<Chunk> Take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || !spare_.empty() || created_ < limit_; });
    if (stop_) return nullptr;
    if (spare_.empty()) {
      ++created_;
      auto chunk = std::make_unique<Chunk>();
      chunk->rows.resize(kChunkRows);
      return chunk;
    }
    std::unique_ptr<Chunk> chunk = std::move(spare_.back());
    spare_.pop_back();
    return chunk;
  }

  void Run() {
    try {
      std::int64_t rowsRead = 0;
      while (std::unique_ptr<Chunk> chunk = Take()) {
        chunk->count = 0;
        std::size_t cells = 0;
        while (chunk->count < kChunkRows && cells < kChunkCells) {
          std::vector<std::string>& row = chunk->rows[chunk->count];
          LetGoOfWhatGrew(row);
          if (!reader_.Next(row)) break;
          if (IsBlank(row)) continue;
          cells += std::max(row.size(), layout_.width);
          ++chunk->count;
        }
        if (chunk->count == 0) break;
        rowsRead += static_cast<std::int64_t>(chunk->count);
        chunk->rowsRead = rowsRead;
        chunk->fraction = reader_.Fraction();
        Chunk* work = chunk.get();
        auto calculated =
            std::async(std::launch::async, [this, work] { Compute(*work, layout_, encoder_); });
        {
          std::lock_guard lock(mutex_);
          ready_.emplace_back(std::move(chunk), std::move(calculated));
        }
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex_);
      error_ = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    changed_.notify_all();
  }

  void LetGoOfWhatGrew(std::vector<std::string>& row) const {
    if (row.capacity() > layout_.width) {
      std::vector<std::string>().swap(row);
      return;
    }
    for (std::string& cell : row) {
      if (cell.capacity() > kKeptCellBytes) std::string().swap(cell);
    }
  }

  RowReader& reader_;
  const Layout& layout_;
  const RowWriter& encoder_;
  const std::size_t limit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<std::unique_ptr<Chunk>, std::future<void>>> ready_;
  std::vector<std::unique_ptr<Chunk>> spare_;
  std::size_t created_ = 0;
  bool stop_ = false;
  bool finished_ = false;
  std::exception_ptr error_;
  std::thread thread_;
};

std::unique_ptr<RowWriter> CreateWriter(const std::filesystem::path& file,
                                        const files::WriteOptions& options) {
  return IsXlsxName(file) ? CreateXlsxWriter(file, options) : CreateCsvWriter(file, options);
}

}  // namespace

std::span<const InputColumn> InputColumns() {
  return kInputColumns;
}

std::vector<int> FindInputColumns(std::span<const std::string> header) {
  std::vector<int> found(kInputColumns.size(), -1);
  for (std::size_t c = 0; c < header.size(); ++c) {
    for (std::size_t k = 0; k < kInputColumns.size(); ++k) {
      const InputColumn& column = kInputColumns[k];
      const bool named =
          SameName(header[c], column.name) ||
          std::any_of(column.aliases.begin(), column.aliases.end(),
                      [&](std::string_view alias) { return SameName(header[c], alias); });
      if (!named) continue;
      if (found[k] >= 0) {
        throw BatchHeaderError("表头中“" + std::string(column.name) + "”一列出现了两次（第 " +
                               std::to_string(found[k] + 1) + " 列和第 " + std::to_string(c + 1) +
                               " 列）");
      }
      found[k] = static_cast<int>(c);
    }
  }
  std::string missing;
  for (std::size_t k = 0; k < kInputColumns.size(); ++k) {
    if (found[k] >= 0 || !kInputColumns[k].required) continue;
    if (!missing.empty()) missing += "、";
    missing += kInputColumns[k].name;
  }
  if (!missing.empty()) throw BatchHeaderError("表头缺少列：" + missing);
  return found;
}

std::string SummaryText(const BatchSummary& s) {
  return "读取 " + std::to_string(s.rowsRead) + " 行；有合计 " + std::to_string(s.rowsWithTotal) +
         " 行；有提示 " + std::to_string(s.rowsWithWarnings) + " 行；有错误 " +
         std::to_string(s.rowsWithErrors) + " 行；合计之和 " + s.totalSum;
}

std::filesystem::path DefaultOutputPath(const std::filesystem::path& input) {
  std::filesystem::path output = input;
  output.replace_filename(input.stem().string() + "-结果" + input.extension().string());
  return output;
}

bool IsXlsxName(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".xlsx";
}

BatchSummary RunBatch(const std::filesystem::path& input, const std::filesystem::path& output,
                      const BatchProgressSink& progress, const BatchFinished& finished,
                      files::WriteOptions keep) {
  keep.kept.push_back({"输入文件", input});
  std::unique_ptr<RowReader> reader = batch_detail::OpenInputReader(input);
  std::vector<std::string> header;
  do {
    if (!reader->Next(header)) throw BatchHeaderError("文件是空的，没有表头");
  } while (IsBlank(header));
  const Layout layout{FindInputColumns(header), header.size(), reader->ShortRowIsRagged()};

  std::unique_ptr<RowWriter> writer = CreateWriter(output, keep);
  writer->WriteHeader(header);

  BatchSummary summary;
  Fen sum = 0;
  bool sumInRange = true;
  // Every row is written padded to the header's width: a wide header over
  // many short rows would make an output far beyond anything its input
  // holds (16,384 columns times 4 million one-cell lines of an 8 MB file is
  // 65 billion cells). The output's cells are held to 64 Mi, or 16 for each
  // byte of the input when that is more: every real sheet fits, a million
  // rows of 64 columns among them.
  std::error_code unsized;
  const std::uintmax_t inputBytes = std::filesystem::file_size(input, unsized);
  const std::uintmax_t maxOutputCells =
      (std::uintmax_t{64} << 20) + (unsized ? 0 : 16 * inputBytes);
  const std::uintmax_t cellsPerRow = layout.width + kResultColumns.size();
  std::uintmax_t outputCells = 0;
  const auto write = [&](const Chunk& chunk) {
    outputCells += chunk.count * cellsPerRow;
    if (outputCells > maxOutputCells) {
      throw BatchFileError(input.string() + "：结果将超过 " + std::to_string(maxOutputCells) +
                           " 个单元格（表头有 " + std::to_string(layout.width) +
                           " 列，每行都要补齐），而文件本身只有 " +
                           std::to_string(inputBytes >> 20) + " MB：这不像正常的表格，已停止计算");
    }
    if (writer->EncodesRows()) writer->WriteEncoded(chunk.encoded);
    for (std::size_t i = 0; i < chunk.count; ++i) {
      const RowOutcome& outcome = chunk.outcomes[i];
      if (!writer->EncodesRows()) writer->WriteRow(chunk.rows[i], outcome.cells);
      ++summary.rowsRead;
      summary.rowsWithWarnings += !outcome.cells[kWarnings].empty();
      summary.rowsWithErrors += !outcome.cells[kError].empty();
      if (outcome.hasTotal) {
        ++summary.rowsWithTotal;
        sumInRange = sumInRange && AddMoney(outcome.cells[kTotal], sum);
      }
    }
  };

  // One thread reads, every core calculates, and this thread writes the
  // chunks in the order they were read.
  const std::size_t inFlight = std::max(2u, std::thread::hardware_concurrency()) + 1;
  ChunkReader chunks(*reader, layout, *writer, inFlight);
  while (std::unique_ptr<Chunk> chunk = chunks.Next()) {
    write(*chunk);
    if (progress && !progress({chunk->rowsRead, chunk->fraction})) throw BatchCancelled{};
    chunks.Recycle(std::move(chunk));
  }
  summary.totalSum = sumInRange ? MoneyText(sum) : "超出范围";
  summary.inputSha256 = reader->Sha256();
  writer->Commit([&](const std::filesystem::path& whole, const std::function<void()>& putInPlace) {
    if (finished) finished(summary, whole, putInPlace);
  });
  return summary;
}

void WriteBatchTemplate(const std::filesystem::path& file) {
  const std::vector<std::string> header{"借款人",   "借据号",   "借款日期",  "到期日期", "还款日期",
                                        "起息日期", "还款金额", "月利率(‰)", "还款方式"};
  const std::vector<std::string> example{"张三",       "JK-0001",    "2009-01-01",
                                         "2009-07-01", "2009-09-30", "2009-01-01",
                                         "10000",      "5.31",       "只结利息"};
  std::unique_ptr<RowWriter> writer = CreateWriter(file, {{}, true});
  writer->WriteTexts(header);
  writer->WriteTexts(example);
  writer->Commit();
}

}  // namespace quillbary
