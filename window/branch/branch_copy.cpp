#include "branch/branch_copy.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include "journal/journal_desk.h"
#include "menu/status_line.h"
#include "quillbary/background_copy.h"

namespace quillbary {
namespace {

// Owns the copying thread; a child of the status line, so that the thread
// has stopped before the line it reports to goes.
class BranchCopyHolder : public QObject {
 public:
  BranchCopyHolder(const std::filesystem::path& journal, StatusLine* line, JournalDesk* desk)
      : QObject(line),
        copy_(journal, [line, desk = QPointer<JournalDesk>(desk)](
                           const branch::BackgroundCopy::State& state) {
          // From the copying thread: shown on the window's own.
          QMetaObject::invokeMethod(
              line,
              [line, desk, state] {
                line->showWaiting(state.waiting, QString::fromStdString(state.problem));
                if (desk) desk->refuseNewSerials(QString::fromStdString(state.behind));
              },
              Qt::QueuedConnection);
        }) {
    connect(desk, &JournalDesk::journalChanged, this, [this] { copy_.Nudge(); });
  }

 private:
  branch::BackgroundCopy copy_;
};

}  // namespace

void StartBranchCopy(const std::filesystem::path& journal, StatusLine* line, JournalDesk* desk) {
  new BranchCopyHolder(journal, line, desk);
}

}  // namespace quillbary
