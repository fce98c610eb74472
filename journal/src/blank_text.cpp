// Whether a text has anything but blanks in it: a void's reason must.
#include <cstdint>

#include "quillbary/journal.h"

namespace quillbary::journal {
namespace {

// The Unicode White_Space characters: what a clerk's keyboard types as
// nothing visible, the full-width space of Chinese input among them.
bool IsBlank(std::uint32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

}  // namespace

bool HasNonBlank(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    // A stray byte, or a sequence cut short, is a character and not a blank.
    if ((length == 1 && lead >= 0x80) || i + length > text.size()) return true;
    std::uint32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    }
    if (!IsBlank(c)) return true;
    i += length;
  }
  return false;
}

}  // namespace quillbary::journal
