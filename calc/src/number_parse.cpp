#include "quillbary/number_parse.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

#include "quillbary/full_width.h"
#include "quillbary/calc_error.h"

namespace quillbary {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsLenientBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// Where an exponent that starts at `i` (at the E) ends, or `i` itself when
// the E is not followed by an optional sign and at least one digit.
std::size_t ExponentEnd(std::string_view s, std::size_t i) {
  if (i >= s.size() || (s[i] != 'E' && s[i] != 'e')) return i;
  std::size_t j = i + 1;
  if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
  const std::size_t end = SkipDigits(s, j);
  return end > j ? end : i;
}

// The power of ten of the first significant digit of a number text that
// from_chars refused as out of range: at least 0 for overflow, negative for
// underflow. `number` holds only a sign, digits, a period and an exponent, and
// at least one nonzero digit.
std::int64_t LeadingPowerOfTen(std::string_view number) {
  const std::size_t exponentAt = std::min(number.find_first_of("eE"), number.size());
  const std::string_view mantissa = number.substr(0, exponentAt);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t firstSignificant = mantissa.find_first_of("123456789");
  std::int64_t power = firstSignificant < point
                           ? static_cast<std::int64_t>(point - firstSignificant) - 1
                           : -static_cast<std::int64_t>(firstSignificant - point);

  std::size_t i = exponentAt + 1;
  if (i >= number.size()) return power;
  const bool negative = number[i] == '-';
  if (number[i] == '+' || number[i] == '-') ++i;
  // Saturate: any exponent this large is far outside the double range anyway.
  std::int64_t exponent = 0;
  for (; i < number.size(); ++i) {
    exponent = std::min<std::int64_t>(exponent * 10 + (number[i] - '0'), 1'000'000'000'000);
  }
  return power + (negative ? -exponent : exponent);
}

// Converts a number text already checked against a grammar (optional '-',
// digits, at most one period, optional exponent) to the nearest double, or
// nothing when its value lies beyond the double range.
std::optional<double> DecimalToDoubleInRange(std::string_view number) {
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (LeadingPowerOfTen(number) >= 0) return std::nullopt;
    return number[0] == '-' ? -0.0 : 0.0;
  }
  return value;
}

double DecimalToDouble(std::string_view number) {
  const std::optional<double> value = DecimalToDoubleInRange(number);
  if (!value) throw CalcError(ErrorCode::kOverflow);
  return *value;
}

// What the strict reader makes of a text: its value, or why it has none.
struct StrictRead {
  double value = 0;
  std::optional<ErrorCode> refused;
};

StrictRead FromDecimal(std::string_view number) {
  const std::optional<double> value = DecimalToDoubleInRange(number);
  if (!value) return {0, ErrorCode::kOverflow};
  return {*value, std::nullopt};
}

double HexDigitsToDouble(std::string_view digits) {
  double value = 0;
  const auto [end, ec] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::hex);
  if (ec == std::errc::result_out_of_range) throw CalcError(ErrorCode::kOverflow);
  return value;
}

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsOctalDigit(char c) {
  return c >= '0' && c <= '7';
}

// Rewrites octal digits as hexadecimal digits of the same integer, three bits
// at a time, so that the exact conversion of the hexadecimal reader rounds it.
std::string OctalToHex(std::string_view octal) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::size_t bits = octal.size() * 3;
  std::string hex((bits + 3) / 4, '0');
  // Fill from the least significant end.
  unsigned pending = 0;
  int pendingBits = 0;
  std::size_t out = hex.size();
  for (auto it = octal.rbegin(); it != octal.rend(); ++it) {
    pending |= static_cast<unsigned>(*it - '0') << pendingBits;
    pendingBits += 3;
    while (pendingBits >= 4) {
      hex[--out] = kHex[pending & 0xF];
      pending >>= 4;
      pendingBits -= 4;
    }
  }
  if (pendingBits > 0) hex[--out] = kHex[pending & 0xF];
  return hex;
}

// &H and &O integers. `s` starts at the ampersand.
double ParseRadixInteger(std::string_view s) {
  const bool hex = s[1] == 'H' || s[1] == 'h';
  const auto isRadixDigit = hex ? IsHexDigit : IsOctalDigit;
  std::size_t end = 2;
  while (end < s.size() && isRadixDigit(s[end])) ++end;
  const std::string_view digits = s.substr(2, end - 2);
  if (digits.empty()) return 0;
  return hex ? HexDigitsToDouble(digits) : HexDigitsToDouble(OctalToHex(digits));
}

}  // namespace

double ParseLeadingNumber(std::string_view text) {
  std::string folded;
  text = FoldFullWidth(text, folded);
  std::string compact;
  compact.reserve(text.size());
  std::copy_if(text.begin(), text.end(), std::back_inserter(compact),
               [](char c) { return !IsLenientBlank(c); });
  const std::string_view s = compact;

  if (s.size() >= 2 && s[0] == '&') {
    const char radix = s[1];
    if (radix == 'H' || radix == 'h' || radix == 'O' || radix == 'o') return ParseRadixInteger(s);
    return 0;
  }

  std::size_t start = 0;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) start = 1;
  std::size_t i = SkipDigits(s, start);
  std::size_t digits = i - start;
  if (i < s.size() && s[i] == '.') {
    const std::size_t fractionEnd = SkipDigits(s, i + 1);
    digits += fractionEnd - (i + 1);
    i = fractionEnd;
  }
  if (digits == 0) return 0;
  i = ExponentEnd(s, i);
  // from_chars takes a minus sign but no plus sign.
  const std::size_t from = (s[0] == '+') ? 1 : 0;
  return DecimalToDouble(s.substr(from, i - from));
}

namespace {

StrictRead ReadStrict(std::string_view text) {
  constexpr StrictRead kNotANumber{0, ErrorCode::kTypeMismatch};
  std::string folded;
  text = FoldFullWidth(text, folded);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return kNotANumber;
  const std::string_view s = text.substr(first, text.find_last_not_of(' ') - first + 1);

  std::size_t i = 0;
  if (s[0] == '+' || s[0] == '-') i = 1;
  const std::size_t integerStart = i;
  bool hasCommas = false;
  i = SkipDigits(s, i);
  while (i > integerStart && i + 1 < s.size() && s[i] == ',' && IsDigit(s[i + 1])) {
    hasCommas = true;
    i = SkipDigits(s, i + 1);
  }
  std::size_t digits = i - integerStart;
  if (i < s.size() && s[i] == '.') {
    const std::size_t fractionEnd = SkipDigits(s, i + 1);
    digits += fractionEnd - (i + 1);
    i = fractionEnd;
  }
  if (digits == 0) return kNotANumber;
  if (i < s.size()) {
    const std::size_t end = ExponentEnd(s, i);
    if (end == i || end != s.size()) return kNotANumber;
  }

  const std::size_t from = (s[0] == '+') ? 1 : 0;
  if (!hasCommas) return FromDecimal(s.substr(from));
  std::string plain;
  plain.reserve(s.size());
  std::copy_if(s.begin() + static_cast<std::ptrdiff_t>(from), s.end(), std::back_inserter(plain),
               [](char c) { return c != ','; });
  return FromDecimal(plain);
}

}  // namespace

std::optional<double> TryParseNumberStrict(std::string_view text) {
  const StrictRead read = ReadStrict(text);
  if (read.refused) return std::nullopt;
  return read.value;
}

double ParseNumberStrict(std::string_view text) {
  const StrictRead read = ReadStrict(text);
  if (read.refused) throw CalcError(*read.refused);
  return read.value;
}

}  // namespace quillbary
