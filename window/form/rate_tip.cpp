#include "form/rate_tip.h"

#include <QLineEdit>
#include <QToolTip>

#include "qt_text.h"
#include "quillbary/annual_rate.h"

namespace quillbary {
namespace {

void UpdateTip(QLineEdit* rate, const QString& text) {
  const QString tip = ToQString(RateTip(text.toStdString()));
  rate->setToolTip(tip);
  if (rate->hasFocus()) QToolTip::showText(rate->mapToGlobal(QPoint(0, rate->height())), tip, rate);
}

}  // namespace

void ShowAnnualRate(QLineEdit* rate) {
  rate->setToolTip(ToQString(RateTip(rate->text().toStdString())));
  QObject::connect(rate, &QLineEdit::textChanged, rate,
                   [rate](const QString& text) { UpdateTip(rate, text); });
}

}  // namespace quillbary
