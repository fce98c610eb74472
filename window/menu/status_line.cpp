#include "menu/status_line.h"

#include <QDir>

#include "sans_font.h"

namespace quillbary {

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent), waiting_(new QLabel(this)) {
  setObjectName(QStringLiteral("statusLine"));
  setAccessibleName(QStringLiteral("状态栏"));
  setFont(SansFont());
  setSizeGripEnabled(false);  // the window has a fixed size
  setFixedHeight(kHeight);
  waiting_->setObjectName(QStringLiteral("branchWaiting"));
  waiting_->hide();
  addPermanentWidget(waiting_);
}

void StatusLine::showCopied() {
  showMessage(QStringLiteral("已复制"), kShownMs);
}

void StatusLine::showSaved(const QString& path) {
  showMessage(QStringLiteral("已保存到 %1").arg(QDir::toNativeSeparators(path)), kShownMs);
}

void StatusLine::showWaiting(qint64 entries, const QString& problem) {
  waiting_->setText(QStringLiteral("待上传 %1 条").arg(entries));
  waiting_->setToolTip(problem);
  waiting_->setVisible(entries > 0);
}

}  // namespace quillbary
