// Putting the clerk back on the field a warning or an error is about.
#pragma once

class QWidget;

namespace quillbary {

// Gives `field` the keyboard focus with its text selected, so that what the
// clerk types next replaces it: a text box's whole text, a date picker's
// year onwards. An option button just takes the focus. Nothing happens for a
// null field, one that takes no focus or a result field (read-only).
void FocusField(QWidget* field);

}  // namespace quillbary
