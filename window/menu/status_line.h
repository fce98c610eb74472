// The line under the client area where copying and saving confirm
// themselves for a few seconds, instead of a box to close.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QString>

namespace quillbary {

class StatusLine : public QStatusBar {
  Q_OBJECT

 public:
  // How long a confirmation stands, in milliseconds.
  static constexpr int kShownMs = 5000;
  // Its fixed height in pixels, so that the window's size is known.
  static constexpr int kHeight = 22;

  explicit StatusLine(QWidget* parent = nullptr);

  void showCopied();                    // 已复制
  void showSaved(const QString& path);  // 已保存到 PATH
  // 待上传 N 条 at the line's right while entries wait for the branch's
  // server (the reason of the last failure as its tip); nothing at 0.
  void showWaiting(qint64 entries, const QString& problem);

 private:
  QLabel* waiting_;
};

}  // namespace quillbary
