// Figures on screen that no longer answer the inputs: the result fields and
// the total drawn grey, each with a tip that says why. Their texts stay what
// the calculation wrote; only the look changes.
#pragma once

#include <QPalette>
#include <QString>
#include <optional>
#include <vector>

#include "quillbary/calculate.h"
#include "quillbary/field_values.h"

class QWidget;

namespace quillbary {

// Why the figures on screen are not to be relied on.
enum class Staleness {
  kDateOrder,     // the run warned that the dates are out of order
  kRefused,       // the run refused an amount or a rate, or stopped on an error
  kInputChanged,  // an input changed after the run
  kNoTotal,       // the run chose no method, so the total is not its own
};

// The tip a stale figure shows: "输入已改动，请重新开始计算" ...
QString StalenessTip(Staleness why);

class StaleLook {
 public:
  // `figures`: the result fields and the total (with its caption), in their
  // normal look.
  explicit StaleLook(std::vector<QWidget*> figures);

  // After a Calculate run that ended normally: the normal look for a total
  // from dates in order (the tips left as the statement's menu set them),
  // else grey for why it is not one. A run that stopped on an exactly empty
  // amount or rate changed nothing, and neither does the look.
  void afterRun(const CalculateOutcome& outcome, const FieldValues& fields);
  // Greys the figures, each with the tip of `why`.
  void setStale(Staleness why);
  // An input changed: figures a run left go stale; an empty window
  // (at start, after 清空) stays as it is.
  void inputChanged();
  // Forgets the figures (清空): the normal look, and an input change then
  // greys nothing.
  void clear();

  std::optional<Staleness> staleness() const { return why_; }

 private:
  struct Figure {
    QWidget* widget;
    QPalette normal;
  };
  void show(std::optional<Staleness> why);

  std::vector<Figure> figures_;
  std::optional<Staleness> why_;
  bool figuresStand_ = false;  // a run has written figures since start or 清空
};

}  // namespace quillbary
