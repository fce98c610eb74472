// The boxes the window shows: the calculation's warnings and its errors.
#pragma once

#include <QWidget>
#include <string_view>

#include "quillbary/calc_error.h"

namespace quillbary {

// Title "提示", the warning icon, one OK button (确定); returns when the clerk
// closes it.
void ShowWarning(QWidget* parent, std::string_view text);

// An error that ended the calculation, named with its code ("运行时错误 '13':"
// then "类型不匹配"). The window stays open with everything the clerk typed.
// The line under it names the field where the error arose, when `field` (its
// caption, "还款金额") is given.
void ShowError(QWidget* parent, const CalcError& error, std::string_view field = {});

// Something the clerk asked for could not be done (a file not saved): the
// critical icon, one OK button (确定).
void ShowFailure(QWidget* parent, const QString& title, const QString& text);

}  // namespace quillbary
