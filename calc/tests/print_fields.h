// How GoogleTest prints a record of field values, so that a failed
// comparison of two whole records shows every member.
#pragma once

#include <ostream>

#include "quillbary/field_values.h"

namespace quillbary {

// {jkrq 2009-01-01, dqrq 2009-07-01, ..., hkje "10000", ..., zjlx 1, hbjx 0,
//  l1Caption " 利息  合计", l1Visible 1, l2Visible 0, hjVisible 1}
void PrintTo(const FieldValues& fields, std::ostream* out);

}  // namespace quillbary
