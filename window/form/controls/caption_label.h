// A label that wraps its caption only where the caption has blanks.
#pragma once

#include <QLabel>

namespace quillbary {

// The total's caption " 利息  合计" stands on two lines beside the total,
// " 利息" over "合计". A plain label would also break between two Chinese
// characters ("合" | "计") whenever the first line has room for one more;
// this one breaks only at a run of blanks, and drops the run at the break.
// text() stays the caption exactly as set.
class CaptionLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

  // The caption as drawn: one line per entry.
  QStringList lines() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillbary
