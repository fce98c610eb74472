#include "app/deferred_icon.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <QWidget>

namespace quillbary {
namespace {

// Watches the window for its first paint event, then sets the icon from the
// event loop, after the painted window has gone out to the screen.
class FirstPaintWatcher : public QObject {
 public:
  FirstPaintWatcher(QWidget* window, QString iconPath)
      : QObject(window), iconPath_(std::move(iconPath)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        QApplication::setWindowIcon(QIcon(iconPath_));
        deleteLater();
      });
    }
    return false;
  }

 private:
  QString iconPath_;
};

}  // namespace

void SetWindowIconAfterFirstPaint(QWidget* window, const QString& iconPath) {
  new FirstPaintWatcher(window, iconPath);
}

}  // namespace quillbary
