#include "fuzz_properties.h"

namespace quillbary::fuzz {
namespace {
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
}  // namespace

bool IsPlainNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t exponentStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == exponentStart) return false;
  }
  return i == text.size();
}

int SignificantDigits(std::string_view number) {
  std::string digits;
  for (const char c : number.substr(0, number.find_first_of("eE"))) {
    if (IsDigit(c)) digits += c;
  }
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  return static_cast<int>(digits.find_last_not_of('0') - first + 1);
}

std::string ToFullWidth(std::string_view text) {
  std::string wide;
  for (const char c : text) {
    if (c < 0x21 || c > 0x7E) {
      wide += c;
      continue;
    }
    const unsigned codePoint = static_cast<unsigned>(c) + 0xFEE0;
    wide += '\xEF';
    wide += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    wide += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return wide;
}

}  // namespace quillbary::fuzz
