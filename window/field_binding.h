// Moves the window's field values into the calculation's record and back.
#pragma once

#include "quillbary/field_values.h"

namespace quillbary {

class Form1;

// Every field the commands read: the pickers' dates, the texts, the chosen
// method, the caption of the total and what is shown.
FieldValues ReadFields(const Form1& form);

// Writes back what the commands may change: the texts, the total's caption
// and what is shown. A text that did not change is left alone, so a field
// keeps its cursor and undo history. The pickers and the method are never
// written: no command changes them.
void WriteFields(const FieldValues& fields, Form1& form);

}  // namespace quillbary
