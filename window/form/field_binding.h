// Moves the window's field values into the calculation's record and back, by
// the record member each row of the control table names.
#pragma once

#include <QWidget>
#include <span>

#include "quillbary/field_values.h"

namespace quillbary {

// The window's controls, one for each row of Controls() and in its order.
using ControlWidgets = std::span<QWidget* const>;

// Every member the controls show: the pickers' dates, the texts, the chosen
// method, the caption of the total and what is shown.
FieldValues ReadFields(ControlWidgets controls);

// Writes back what the commands may change: the texts, the total's caption
// and what is shown. A text that did not change is left alone, so a field
// keeps its cursor and undo history. The pickers and the method are never
// written: no command changes them.
void WriteFields(const FieldValues& fields, ControlWidgets controls);

}  // namespace quillbary
