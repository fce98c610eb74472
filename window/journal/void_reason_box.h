// 作废…: the box that asks why a statement is voided. Its 确定 is on only
// while the reason has a character that is not blank, the rule the journal
// holds a void to.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace quillbary {

class VoidReasonBox : public QDialog {
  Q_OBJECT

 public:
  VoidReasonBox(QWidget* parent, const QString& serial);

  QLineEdit* reasonEdit() const { return reason_; }
  QPushButton* okButton() const { return ok_; }
  QString reason() const;  // as typed, without the blanks around it

 private:
  QLineEdit* reason_;
  QPushButton* ok_;
};

// The reason given for voiding the statement numbered `serial`, or empty
// when the box was cancelled.
QString AskVoidReason(QWidget* parent, const QString& serial);

}  // namespace quillbary
