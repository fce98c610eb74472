// The frame around the repayment options.
#pragma once

#include <QGroupBox>

namespace quillbary {

// A group box drawn as on the classic desktop: a thin line all round with the
// caption standing in the top line, so that the options placed just below
// the caption sit inside the frame.
class FrameBox : public QGroupBox {
  Q_OBJECT

 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillbary
