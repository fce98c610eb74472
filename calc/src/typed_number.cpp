#include "quillbary/typed_number.h"

#include "quillbary/full_width.h"
#include "quillbary/calc_error.h"
#include "quillbary/number_parse.h"

namespace quillbary {
namespace {

constexpr std::string_view kYuan = "元";
// The longest typed text a warning quotes whole, in characters.
constexpr std::size_t kQuotedCharacters = 20;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsOctalDigit(char c) {
  return c >= '0' && c <= '7';
}

std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// &H or &O and at least one digit of its radix, and nothing else.
bool IsRadixInteger(std::string_view s) {
  if (s.size() < 3 || s[0] != '&') return false;
  const char radix = s[1];
  const bool hex = radix == 'H' || radix == 'h';
  if (!hex && radix != 'O' && radix != 'o') return false;
  for (const char c : s.substr(2)) {
    if (!(hex ? IsHexDigit(c) : IsOctalDigit(c))) return false;
  }
  return true;
}

// The decimal number of `s` without its commas, or nothing when `s` is not
// wholly a decimal number with well-formed comma groups.
std::optional<std::string> DecimalWithoutGroups(std::string_view s) {
  std::string plain;
  plain.reserve(s.size());
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];

  const std::size_t integerStart = i;
  i = SkipDigits(s, i);
  std::size_t digits = i - integerStart;
  plain.append(s.substr(integerStart, digits));
  if (i < s.size() && s[i] == ',') {
    if (digits < 1 || digits > 3) return std::nullopt;
    while (i < s.size() && s[i] == ',') {
      const std::size_t groupEnd = SkipDigits(s, i + 1);
      if (groupEnd - (i + 1) != 3) return std::nullopt;
      plain.append(s.substr(i + 1, 3));
      digits += 3;
      i = groupEnd;
    }
  }
  if (i < s.size() && s[i] == '.') {
    const std::size_t fractionEnd = SkipDigits(s, i + 1);
    digits += fractionEnd - (i + 1);
    plain.append(s.substr(i, fractionEnd - i));
    i = fractionEnd;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const std::size_t exponentEnd = SkipDigits(s, j);
    if (exponentEnd == j) return std::nullopt;
    plain.append(s.substr(i, exponentEnd - i));
    i = exponentEnd;
  }
  if (i != s.size()) return std::nullopt;
  return plain;
}

// The first `count` characters of UTF-8 `text`, and "…" when there were more.
std::string Quoted(std::string_view text, std::size_t count) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool startsACharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (startsACharacter && characters++ == count) {
      return std::string(text.substr(0, i)) + "…";
    }
  }
  return std::string(text);
}

}  // namespace

std::optional<std::string> PlainNumberText(std::string_view typed, TypedField field) {
  std::string folded;
  const std::string_view text = FoldFullWidth(typed, folded);
  std::string_view s = text;
  std::string compact;  // only when there are blanks to drop
  if (text.find_first_of(" \t\n") != std::string_view::npos) {
    compact.reserve(text.size());
    for (const char c : text) {
      if (c != ' ' && c != '\t' && c != '\n') compact += c;
    }
    s = compact;
  }
  if (field == TypedField::kAmount && s.ends_with(kYuan)) s.remove_suffix(kYuan.size());
  if (IsRadixInteger(s)) return std::string(s);
  return DecimalWithoutGroups(s);
}

double ReadTypedNumber(std::string_view typed, TypedField field) {
  const std::optional<std::string> plain = PlainNumberText(typed, field);
  if (!plain) throw CalcError(ErrorCode::kTypeMismatch);
  // The plain text is wholly one number, so the lenient reader reads all of it.
  return ParseLeadingNumber(*plain);
}

std::string NotANumberWarning(TypedField field, std::string_view typed) {
  const std::string quoted = "“" + Quoted(typed, kQuotedCharacters) + "”不是数字。";
  if (field == TypedField::kAmount) {
    return "还款金额" + quoted + "请只填数字，如 10000 或 10,000.00。";
  }
  return "月利率" + quoted + "请填月利率的千分数，如 5.31（不带 % 或 ‰）。";
}

}  // namespace quillbary
