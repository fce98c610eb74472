// The rate field's tip: the annual rate of the monthly rate as it is typed
// ("月利率 4.35‰ = 年利率 5.22%"), shown beside the field while the clerk types.
#pragma once

class QLineEdit;

namespace quillbary {

// From now on `rate`'s tip follows its text, and each change while it has
// the focus shows the tip at once.
void ShowAnnualRate(QLineEdit* rate);

}  // namespace quillbary
