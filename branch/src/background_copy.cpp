#include "quillbary/background_copy.h"

#include <memory>
#include <utility>

#include "quillbary/branch.h"
#include "quillbary/journal.h"
#include "terminal_key.h"

namespace quillbary::branch {

BackgroundCopy::BackgroundCopy(std::filesystem::path journal, Report report,
                               std::chrono::milliseconds interval)
    : journal_(std::move(journal)), report_(std::move(report)), interval_(interval) {
  thread_ = std::thread([this] { Run(); });
}

BackgroundCopy::~BackgroundCopy() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void BackgroundCopy::Nudge() {
  {
    std::lock_guard lock(mutex_);
    nudged_ = true;
  }
  wake_.notify_all();
}

void BackgroundCopy::Run() {
  std::unique_ptr<journal::Journal> journal;
  std::unique_ptr<Branch> branch;
  std::string conninfo;
  std::int64_t serverHead = 0;  // the last the server was known to hold
  bool headKnown = false;
  std::int64_t lastReview = -1;  // the newest review reported; -1 until read from the journal
  for (;;) {
    std::string problem;
    std::vector<journal::BranchReview> reviews;
    bool terminal = false;
    std::int64_t entries = 0;
    try {
      if (!journal) {
        journal::JournalOptions options;
        options.readOnly = true;
        journal = journal::Journal::Open(journal_, options);
      }
      if (const auto membership = journal->Membership()) {
        terminal = true;
        entries = journal->EntryCount();
        // Nothing new since the last round: the server is not asked, nor
        // the journal read through.
        const bool upToDate =
            headKnown && entries == serverHead && conninfo == membership->conninfo;
        if (!upToDate) {
          if (!branch || conninfo != membership->conninfo) {
            branch.reset();
            conninfo = membership->conninfo;
            branch = std::make_unique<Branch>(conninfo);
          }
          serverHead =
              CopyToBranch(*journal, *branch, membership->terminal, KeyFileOf(journal_)).serverHead;
          headKnown = true;
          entries = journal->EntryCount();
        }
        if (branch) {
          if (lastReview < 0) lastReview = journal->LastReviewId();
          for (const Review& review : branch->ReviewsOfTerminal(membership->terminal, lastReview)) {
            reviews.push_back(JournalCopyOf(review));
            lastReview = review.id;
          }
        }
      }
    } catch (const BranchError& error) {
      problem = error.reason;
      branch.reset();  // connect afresh next round
    } catch (const journal::JournalError& error) {
      problem = error.what();
      journal.reset();  // not there yet, or moved: open afresh next round
    } catch (const std::exception& error) {
      problem = error.what();  // the key file unreadable, ...: try again next round
    }
    if (terminal) {
      State state;
      state.waiting = entries > serverHead ? entries - serverHead : 0;
      state.problem = problem;
      state.reviews = std::move(reviews);
      if (headKnown && entries < serverHead) {
        state.behind = "本机日志只有 " + std::to_string(entries) + " 条，而分行数据库中本终端已有 " +
                       std::to_string(serverHead) +
                       " 条：日志丢了末尾，或被换成了旧的副本。为免编号重复，不再出具新编号；"
                       "请运行 quillbary --check-journal 核对";
      }
      report_(state);
    }

    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, interval_, [this] { return nudged_ || stopping_; });
    if (stopping_) return;
    nudged_ = false;
  }
}

}  // namespace quillbary::branch
