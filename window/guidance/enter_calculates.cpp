#include "guidance/enter_calculates.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QEvent>
#include <QKeyEvent>

namespace quillbary {
namespace {

bool IsEnter(const QKeyEvent& key) {
  const bool enterKey = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
  return enterKey && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Watches the inputs' keys; lives as long as the command it presses.
class EnterPresses : public QObject {
 public:
  explicit EnterPresses(QAbstractButton* command) : QObject(command), command_(command) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !IsEnter(*static_cast<QKeyEvent*>(event))) {
      return false;
    }
    if (auto* picker = qobject_cast<QAbstractSpinBox*>(watched)) picker->interpretText();
    command_->click();
    return true;
  }

 private:
  QAbstractButton* command_;
};

}  // namespace

void PressOnEnter(std::span<QWidget* const> inputs, QAbstractButton* command) {
  auto* presses = new EnterPresses(command);
  for (QWidget* input : inputs) input->installEventFilter(presses);
}

}  // namespace quillbary
