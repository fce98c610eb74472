#include "date_picker.h"

namespace quillbary {

bool DatePicker::focusNextPrevChild(bool next) {
  // Skip the date edit's own stepping through its sections.
  return QWidget::focusNextPrevChild(next);
}

}  // namespace quillbary
