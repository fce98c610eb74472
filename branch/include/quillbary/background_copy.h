// Copying a terminal's journal to the branch in a thread of its own, so that
// handing a statement on never waits for the server.
//
// Every `interval` (and at once on Nudge()), the thread reads the journal
// (read-only, beside the window's own connection), and when it is a
// terminal's, sends what the server does not have yet (UploadPending). What
// it could not send waits in the journal and goes on a later round, as soon
// as the server answers again; sending is idempotent, so a round cut short
// (the server stopped, the program killed) leaves nothing twice.
//
// After each round it reports how many entries wait (0 when all are on the
// server), when the round failed why, and whether the journal has fallen
// behind the server's copy of it. Before the first round that reaches the
// server, every entry counts as waiting. While it is connected it also asks
// for the reviews (复核) of the terminal's statements it has not reported yet,
// for the window to keep in the journal: the thread itself only reads it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quillbary/journal.h"

namespace quillbary::branch {

class BackgroundCopy {
 public:
  // What a round found of a terminal's journal.
  struct State {
    std::int64_t waiting = 0;  // entries not yet on the server
    std::string problem;       // why the round failed; empty when it did not
    // The journal holds fewer entries than the server has of it (a tail
    // lost, an old copy put back): numbering must stop, `behind` says why.
    std::string behind;
    // Reviews new since the last report, oldest first.
    std::vector<journal::BranchReview> reviews;
  };
  // Called on the copying thread after each round of a terminal's journal.
  using Report = std::function<void(const State& state)>;

  BackgroundCopy(std::filesystem::path journal, Report report,
                 std::chrono::milliseconds interval = std::chrono::seconds(5));
  // Stops the thread, after the round under way.
  ~BackgroundCopy();
  BackgroundCopy(const BackgroundCopy&) = delete;
  BackgroundCopy& operator=(const BackgroundCopy&) = delete;

  // Starts a round now (after an entry was recorded).
  void Nudge();

 private:
  void Run();
  std::filesystem::path journal_;
  Report report_;
  std::chrono::milliseconds interval_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool nudged_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quillbary::branch
