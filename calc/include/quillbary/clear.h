// The Clear command (the 清空 button).
#pragma once

#include "quillbary/field_values.h"

namespace quillbary {

// Empties the amount, the rate and the six results, empties the total's
// caption, shows the notice and hides the total and its caption. The dates
// and the chosen method stay as they are.
void Clear(FieldValues& fields);

}  // namespace quillbary
