#include "branch/branch_copy.h"

#include <QMetaObject>
#include <QObject>
#include <memory>

#include "menu/status_line.h"
#include "quillbary/background_copy.h"

namespace quillbary {
namespace {

// Owns the copying thread; a child of the status line, so that the thread
// has stopped before the line it reports to goes.
class BranchCopyHolder : public QObject {
 public:
  BranchCopyHolder(const std::filesystem::path& journal, StatusLine* line)
      : QObject(line),
        copy_(journal, [line](std::int64_t waiting, const std::string& problem) {
          // From the copying thread: shown on the window's own.
          QMetaObject::invokeMethod(
              line,
              [line, waiting, text = QString::fromStdString(problem)] {
                line->showWaiting(waiting, text);
              },
              Qt::QueuedConnection);
        }) {}

 private:
  branch::BackgroundCopy copy_;
};

}  // namespace

void StartBranchCopy(const std::filesystem::path& journal, StatusLine* line) {
  new BranchCopyHolder(journal, line);
}

}  // namespace quillbary
