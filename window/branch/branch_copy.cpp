#include "branch/branch_copy.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <QApplication>

#include "branch/branch_history_window.h"
#include "branch/table_pdf.h"
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
                if (!desk) return;
                desk->refuseNewSerials(QString::fromStdString(state.behind));
                if (!state.reviews.empty()) desk->keepReviews(state.reviews);
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

void OfferBranchHistory(JournalDesk* desk) { desk->setBranchHistoryOpener(&OpenBranchHistory); }

branch::TablePdfWriter BranchPdfWriter() { return &WriteTablePdf; }

int RunBranchHistory(const std::string& conninfo) {
  BranchHistoryWindow window(conninfo, nullptr);
  window.show();
  return QApplication::exec();
}

}  // namespace quillbary
