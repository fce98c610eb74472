#include "text_fold.h"

#include <algorithm>

#include "quillbary/full_width.h"

namespace quillbary::batch::detail {

std::string FoldedAndTrimmed(std::string_view text) {
  std::string storage;
  const std::string_view folded = FoldFullWidth(text, storage);
  // The ideographic space (U+3000, UTF-8 E3 80 80) that a full-width input
  // method types for a blank.
  constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  std::string out;
  for (std::size_t at = 0; at < folded.size();) {
    if (folded.substr(at).starts_with(kIdeographicSpace)) {
      out.push_back(' ');
      at += kIdeographicSpace.size();
    } else {
      out.push_back(folded[at++]);
    }
  }
  const auto first = out.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = out.find_last_not_of(" \t\r\n");
  return out.substr(first, last - first + 1);
}

bool IsBlank(const std::vector<std::string>& cells) {
  return std::all_of(cells.begin(), cells.end(), [](const std::string& c) {
    return c.find_first_not_of(" \t") == std::string::npos;
  });
}

std::size_t ValidUtf8Prefix(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return i;
    }
    if (i + length > n) return i;  // cut off: the caller decides
    if (s[i + 1] < low || s[i + 1] > high) return i;
    for (std::size_t k = i + 2; k < i + length; ++k) {
      if (s[k] < 0x80 || s[k] > 0xBF) return i;
    }
    i += length;
  }
  return i;
}

}  // namespace quillbary::batch::detail
