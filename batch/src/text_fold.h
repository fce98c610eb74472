// Small text helpers shared by the batch readers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillbary::batch::detail {

// The text with full-width characters (U+FF01..U+FF5E, as a Chinese input
// method types them) read as their ASCII twins, U+3000 as a blank, and
// blanks at both ends removed.
std::string FoldedAndTrimmed(std::string_view text);

// How many leading bytes of `bytes` are valid UTF-8. A result less than 4
// bytes short of the end may be a sequence cut off by the end of a block,
// which the next block completes.
std::size_t ValidUtf8Prefix(std::string_view bytes);

// Whether every cell of a row is empty or blanks: such a row is skipped, and
// the header is the first row that is not.
bool IsBlank(const std::vector<std::string>& cells);

}  // namespace quillbary::batch::detail
