// The one window: the inputs, the results, the three commands and the clock.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <future>
#include <memory>
#include <string_view>
#include <vector>

#include "quillbary/clock_face.h"

class QLineEdit;
class QContextMenuEvent;

namespace quillbary {

// Where the clock reads the local date and time; tests pass fixed moments.
using ClockSource = std::function<LocalMoment()>;

class Form1 : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(ClockSource clock, QWidget* parent = nullptr);
  ~Form1() override;

  // The control named `name` in the control table, or nullptr.
  QWidget* control(std::string_view name) const;

  QTimer* timer1() { return &timer1_; }
  // The grey look of figures that no longer answer the inputs.
  const class StaleLook& staleLook() const { return *staleLook_; }
  // The menu of the working, the copy, the print and the PDF.
  class StatementMenu* statementMenu() {
    return statementMenu_;
  }

 public slots:
  void command1Click();  // 开始计算: calculate
  void command2Click();  // 清空: clear
  void command3Click();  // 退出: exit
  void timer1Timer();    // the clock tick

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void connectCommands();
  void connectInputs();
  void connectGuidance();

  std::vector<QWidget*> controls_;  // one for each row of the control table, in its order
  // The emblem is decoded on a thread of its own while the controls are
  // built and the window is shown, and taken at the first paint.
  std::future<QImage> emblemLoading_;
  QPixmap emblem_;
  QTimer timer1_;
  ClockSource clock_;
  ClockFace clockFace_;
  QLineEdit* text1_ = nullptr;
  QLineEdit* text2_ = nullptr;
  class StatementMenu* statementMenu_ = nullptr;
  std::unique_ptr<class StaleLook> staleLook_;
};

}  // namespace quillbary
