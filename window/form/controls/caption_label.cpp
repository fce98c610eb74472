#include "form/controls/caption_label.h"

#include <QPainter>
#include <QRegularExpression>

namespace quillbary {

QStringList CaptionLabel::lines() const {
  static const QRegularExpression kBlanks(QStringLiteral(" +"));
  const QString caption = text();
  const QFontMetrics metrics(font());
  const auto fits = [&](const QString& line) {
    return metrics.horizontalAdvance(line) <= contentsRect().width();
  };

  QStringList result;
  qsizetype start = 0;
  while (start < caption.size()) {
    const QString rest = caption.mid(start);
    // Break before the last run of blanks that leaves a first line that fits,
    // or before the first run when none does.
    qsizetype breakAt = -1;
    qsizetype resumeAt = caption.size();
    if (!fits(rest)) {
      for (auto runs = kBlanks.globalMatch(caption, start); runs.hasNext();) {
        const QRegularExpressionMatch run = runs.next();
        if (run.capturedStart() == start) continue;  // blanks that open a line belong to it
        if (breakAt >= 0 && !fits(caption.mid(start, run.capturedStart() - start))) break;
        breakAt = run.capturedStart();
        resumeAt = run.capturedEnd();
      }
    }
    if (breakAt < 0) {
      result << rest;
      break;
    }
    result << caption.mid(start, breakAt - start);
    start = resumeAt;
  }
  return result;
}

void CaptionLabel::paintEvent(QPaintEvent*) {
  // Chinese characters fill their em square, so lines stand one em and a
  // pixel apart, as in a Song face, and the block is centred in the label.
  // The baseline lies an eighth of an em above the square's foot.
  const int em = QFontInfo(font()).pixelSize();
  const int step = em + 1;
  const QStringList captionLines = lines();
  const QRect area = contentsRect();
  const int blockHeight = step * static_cast<int>(captionLines.size()) - 1;
  int baseline = area.top() + (area.height() - blockHeight) / 2 + em - em / 8;
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  for (const QString& line : captionLines) {
    painter.drawText(area.left(), baseline, line);
    baseline += step;
  }
}

}  // namespace quillbary
