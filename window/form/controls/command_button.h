// The window's command buttons: 开始计算, 清空 and 退出.
#pragma once

#include <QPushButton>

namespace quillbary {

// A push button that Return and Enter press while it has the focus, as Space
// does, as on the desktop the program comes from. (A plain QPushButton takes
// Return only in a dialog, as its default button.) A held key presses once.
class CommandButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quillbary
