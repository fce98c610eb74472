#include "form/stale_look.h"

#include <QWidget>

namespace quillbary {
namespace {

constexpr QColor kStaleGrey(128, 128, 128);

}  // namespace

QString StalenessTip(Staleness why) {
  switch (why) {
    case Staleness::kDateOrder:
      return QStringLiteral("日期顺序有误，结果不能作为计息依据");
    case Staleness::kRefused:
      return QStringLiteral("输入有误，结果不是这次输入算出的，请改正后重新开始计算");
    case Staleness::kInputChanged:
      return QStringLiteral("输入已改动，请重新开始计算");
    case Staleness::kNoTotal:
      return QStringLiteral("没有选择还款方式，合计不是这次算出的，请选择后重新开始计算");
  }
  return {};
}

namespace {

// What a run leaves: nothing when its figures are current, else why not;
// `before` when it changed nothing.
std::optional<Staleness> AfterRun(const CalculateOutcome& outcome, const FieldValues& fields,
                                  std::optional<Staleness> before) {
  if (!outcome.dateWarning.empty()) return Staleness::kDateOrder;
  if (outcome.madeATotal) return std::nullopt;
  // An exactly empty amount or rate stops the run before it writes anything.
  if ((outcome.warnedField == "hkje" && fields.hkje.empty()) ||
      (outcome.warnedField == "ll" && fields.ll.empty())) {
    return before;
  }
  if (outcome.warnedField == "hkje" || outcome.warnedField == "ll") return Staleness::kRefused;
  return Staleness::kNoTotal;
}

}  // namespace

StaleLook::StaleLook(std::vector<QWidget*> figures) {
  figures_.reserve(figures.size());
  for (QWidget* widget : figures) figures_.push_back({widget, widget->palette()});
}

void StaleLook::afterRun(const CalculateOutcome& outcome, const FieldValues& fields) {
  const std::optional<Staleness> why = AfterRun(outcome, fields, why_);
  if (why) {
    setStale(*why);
  } else if (outcome.madeATotal) {
    figuresStand_ = true;
    show(std::nullopt);
  }
}

void StaleLook::setStale(Staleness why) {
  figuresStand_ = true;
  show(why);
}

void StaleLook::clear() {
  figuresStand_ = false;
  show(std::nullopt);
}

void StaleLook::show(std::optional<Staleness> why) {
  why_ = why;
  for (const Figure& figure : figures_) {
    if (!why) {
      figure.widget->setPalette(figure.normal);
      continue;
    }
    // Mid grey, whatever colour (blue, red, black) the figure has when
    // current: it reads on the result fields' light grey, but plainly as
    // text that does not count.
    QPalette grey = figure.normal;
    grey.setColor(QPalette::Text, kStaleGrey);
    grey.setColor(QPalette::WindowText, kStaleGrey);
    figure.widget->setPalette(grey);
    figure.widget->setToolTip(StalenessTip(*why));
    figure.widget->setAccessibleDescription(StalenessTip(*why));
  }
}

void StaleLook::inputChanged() {
  if (figuresStand_) setStale(Staleness::kInputChanged);
}

}  // namespace quillbary
