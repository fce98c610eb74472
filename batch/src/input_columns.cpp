#include "input_columns.h"

#include <algorithm>
#include <string>

#include "quillbary/batch_file.h"
#include "text_fold.h"

namespace quillbary::batch {
namespace {

// Full-width brackets fold to ASCII, so "月利率（‰）" is 月利率(‰).
bool SameName(std::string_view header, std::string_view name) {
  return detail::FoldedAndTrimmed(header) == name;
}

}  // namespace

std::span<const InputColumn> InputColumns() {
  return detail::kInputColumns;
}

std::vector<int> FindInputColumns(std::span<const std::string> header) {
  std::vector<int> found(detail::kInputColumns.size(), -1);
  for (std::size_t c = 0; c < header.size(); ++c) {
    for (std::size_t k = 0; k < detail::kInputColumns.size(); ++k) {
      const InputColumn& column = detail::kInputColumns[k];
      const bool named =
          SameName(header[c], column.name) ||
          std::any_of(column.aliases.begin(), column.aliases.end(),
                      [&](std::string_view alias) { return SameName(header[c], alias); });
      if (!named) continue;
      if (found[k] >= 0) {
        throw BatchHeaderError({.problem = BatchProblem::kDuplicateColumn,
                                .column = static_cast<std::int64_t>(c + 1),
                                .number = static_cast<std::uint64_t>(found[k] + 1),
                                .detail = std::string(column.name)});
      }
      found[k] = static_cast<int>(c);
    }
  }
  std::string missing;
  for (std::size_t k = 0; k < detail::kInputColumns.size(); ++k) {
    if (found[k] >= 0 || !detail::kInputColumns[k].required) continue;
    if (!missing.empty()) missing += "、";
    missing += detail::kInputColumns[k].name;
  }
  if (!missing.empty())
    throw BatchHeaderError({.problem = BatchProblem::kMissingColumns, .detail = missing});
  return found;
}

}  // namespace quillbary::batch
