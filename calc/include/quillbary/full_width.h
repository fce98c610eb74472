// Full-width input as a Chinese input method types it, shared by the number
// readers and the typed-number rule.
#pragma once

#include <string>
#include <string_view>

namespace quillbary {

// Reads the full-width forms U+FF01..U+FF5E (UTF-8 EF BC 81..EF BD 9E), which
// a Chinese input method types in full-width mode, as their ASCII twins
// U+0021..U+007E, 0xFEE0 lower. Every other byte stays as it is. Returns
// `text` itself, with no copy, when it holds no 0xEF byte; otherwise the
// folded text, kept in `storage`.
std::string_view FoldFullWidth(std::string_view text, std::string& storage);

}  // namespace quillbary
