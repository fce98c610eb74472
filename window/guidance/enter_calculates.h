// Return or Enter in an input presses a command, as in a spreadsheet: the
// clerk types the amount and the rate, or a date, and computes without
// reaching for the mouse or tabbing to the button.
#pragma once

#include <span>

class QAbstractButton;
class QWidget;

namespace quillbary {

// Makes Return, and Enter on the keypad, in each of `inputs` click
// `command`. A date picker first takes the date typed into it. Keys with
// Ctrl, Alt or Shift are left to the input.
void PressOnEnter(std::span<QWidget* const> inputs, QAbstractButton* command);

}  // namespace quillbary
