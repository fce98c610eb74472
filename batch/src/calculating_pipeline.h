// The calculating pipeline of a batch run: one thread reads the file in
// chunks of rows, every core calculates them, and the caller takes them back
// in the order they were read.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quillbary/batch_file.h"
#include "quillbary/batch_row.h"
#include "text_fold.h"

namespace quillbary::batch::detail {

// A chunk ends at 4096 rows, or sooner once its rows hold 256 Ki cells (each
// row counted at its own width or the header's, which it is padded to): a
// sheet 16,384 columns wide then goes 16 rows at a time, so that the chunks
// in flight stay within tens of megabytes whatever the sheet's width.
inline constexpr std::size_t kChunkRows = 4096;
inline constexpr std::size_t kChunkCells = std::size_t{256} << 10;
// A row or cell kept for reuse that grew past these is let go instead: one
// wide or long row must not keep its memory for the rest of the run.
inline constexpr std::size_t kKeptCellBytes = std::size_t{64} << 10;

struct Chunk {
  std::vector<std::vector<std::string>> rows;  // capacity kept from chunk to chunk
  std::vector<std::vector<CellKind>> kinds;    // each row's RowReader::Kinds()
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

// Calculates a chunk's rows, each trimmed or filled to the header's width,
// and encodes them when the writer encodes its rows.
void Compute(Chunk& chunk, const Layout& layout, const RowWriter& writer);

// Reads chunks of rows on a thread of its own and starts each one's
// calculation at once; hands them back, calculated, in the order read. At
// most `inFlight` chunks exist at a time, so memory does not grow with the
// file.
class CalculatingPipeline {
 public:
  CalculatingPipeline(RowReader& reader, const Layout& layout, const RowWriter& encoder,
              std::size_t inFlight)
      : reader_(&reader), layout_(layout), encoder_(&encoder), limit_(inFlight) {
    thread_ = std::thread(&CalculatingPipeline::Run, this);
  }

  ~CalculatingPipeline() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  CalculatingPipeline(const CalculatingPipeline&) = delete;
  CalculatingPipeline& operator=(const CalculatingPipeline&) = delete;

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
      chunk->kinds.resize(kChunkRows);
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
          if (!reader_->Next(row)) break;
          if (IsBlank(row)) continue;
          reader_->Kinds(chunk->kinds[chunk->count]);
          cells += std::max(row.size(), layout_.width);
          ++chunk->count;
        }
        if (chunk->count == 0) break;
        rowsRead += static_cast<std::int64_t>(chunk->count);
        chunk->rowsRead = rowsRead;
        chunk->fraction = reader_->Fraction();
        Chunk* work = chunk.get();
        auto calculated =
            std::async(std::launch::async, [this, work] { Compute(*work, layout_, *encoder_); });
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

  // The reader and the writer outlive the pipeline, which joins its threads
  // when it is destroyed.
  RowReader* reader_;
  const Layout layout_;
  const RowWriter* encoder_;
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



}  // namespace quillbary::batch::detail
