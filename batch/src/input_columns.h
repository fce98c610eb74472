// The input columns a batch file's header is matched against (batch_run.h's
// InputColumns), and where each one the calculation needs is in that table.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "quillbary/batch_run.h"

namespace quillbary::batch::detail {

inline constexpr std::array<std::string_view, 0> kNoAliases{};
inline constexpr std::array<std::string_view, 2> kRateAliases{"利率(‰)", "月利率"};

inline constexpr std::array<InputColumn, 9> kInputColumns{{
    {"借款日期", kNoAliases, true},
    {"到期日期", kNoAliases, true},
    {"还款日期", kNoAliases, true},
    {"起息日期", kNoAliases, true},
    {"还款金额", kNoAliases, true},
    {"月利率(‰)", kRateAliases, true},
    {"还款方式", kNoAliases, true},
    {"借款人", kNoAliases, false},
    {"借据号", kNoAliases, false},
}};

// A column's place in kInputColumns, found when compiling, so that no index
// depends on the table's order: kInputColumns[InputIndex("还款金额")].
consteval std::size_t InputIndex(std::string_view name) {
  for (std::size_t i = 0; i < kInputColumns.size(); ++i) {
    if (kInputColumns[i].name == name) return i;
  }
  throw "no such input column";
}

}  // namespace quillbary::batch::detail
