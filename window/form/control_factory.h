// Makes one control from its row of the control table.
#pragma once

#include <QWidget>

#include "form/control_table.h"

namespace quillbary {

// A widget of the row's kind, named, captioned, placed and styled as the row
// says, as a child of `parent` (the window, or the frame the row names).
QWidget* CreateControl(const ControlRow& row, QWidget* parent);

}  // namespace quillbary
