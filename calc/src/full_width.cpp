#include "quillbary/full_width.h"

namespace quillbary {

std::string_view FoldFullWidth(std::string_view text, std::string& storage) {
  if (text.find('\xEF') == std::string_view::npos) return text;
  const auto isContinuation = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
  storage.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\xEF' && i + 2 < text.size()) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      const auto third = static_cast<unsigned char>(text[i + 2]);
      const unsigned codePoint = 0xF000u | ((second & 0x3Fu) << 6) | (third & 0x3Fu);
      if (isContinuation(second) && isContinuation(third) && codePoint >= 0xFF01 &&
          codePoint <= 0xFF5E) {
        storage += static_cast<char>(codePoint - 0xFEE0);
        i += 2;
        continue;
      }
    }
    storage += text[i];
  }
  return storage;
}

}  // namespace quillbary
