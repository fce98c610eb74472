#include "menu/status_line.h"

#include <QDir>

#include "sans_font.h"

namespace quillbary {

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("statusLine"));
  setAccessibleName(QStringLiteral("状态栏"));
  setFont(SansFont());
  setSizeGripEnabled(false);  // the window has a fixed size
  setFixedHeight(kHeight);
}

void StatusLine::showCopied() {
  showMessage(QStringLiteral("已复制"), kShownMs);
}

void StatusLine::showSaved(const QString& path) {
  showMessage(QStringLiteral("已保存到 %1").arg(QDir::toNativeSeparators(path)), kShownMs);
}

}  // namespace quillbary
