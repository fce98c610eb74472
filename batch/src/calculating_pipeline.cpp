#include "calculating_pipeline.h"

#include <algorithm>

#include "input_columns.h"

namespace quillbary::batch::detail {
namespace {

std::string RaggedText(std::size_t cells, std::size_t width) {
  return (cells > width ? "本行有 " : "本行只有 ") + std::to_string(cells) + " 列，表头有 " +
         std::to_string(width) + " 列";
}

// Calculates one row and trims or fills its cells to the header's width.
RowOutcome CalculateCells(std::vector<std::string>& cells, const Layout& layout) {
  std::size_t used = cells.size();
  while (used > layout.width && cells[used - 1].empty()) --used;
  const bool ragged =
      used > layout.width || (cells.size() < layout.width && layout.shortRowIsRagged);
  const std::size_t had = cells.size();
  cells.resize(layout.width);
  if (ragged) {
    RowOutcome outcome;
    outcome.cells[kError] = RaggedText(had, layout.width);
    outcome.cells[kStatus] = StatusWord(outcome.status);
    return outcome;
  }
  const auto cell = [&](std::size_t input) -> std::string_view {
    return cells[static_cast<std::size_t>(layout.columns[input])];
  };
  return CalculateRow({cell(InputIndex("借款日期")), cell(InputIndex("到期日期")),
                       cell(InputIndex("还款日期")), cell(InputIndex("起息日期")),
                       cell(InputIndex("还款金额")), cell(InputIndex("月利率(‰)")),
                       cell(InputIndex("还款方式"))});
}

}  // namespace

void Compute(Chunk& chunk, const Layout& layout, const RowWriter& writer) {
  chunk.outcomes.resize(chunk.count);
  chunk.encoded.clear();
  for (std::size_t i = 0; i < chunk.count; ++i) {
    chunk.outcomes[i] = CalculateCells(chunk.rows[i], layout);
    if (writer.EncodesRows())
      writer.EncodeRow(chunk.rows[i], chunk.outcomes[i].cells, chunk.encoded);
  }
}

}  // namespace quillbary::batch::detail
