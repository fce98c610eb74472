#include "quillbary/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "quillbary/calc_error.h"
#include "quillbary/number_parse.h"

namespace quillbary {
namespace {

constexpr int kSignificantDigits = 15;
// Magnitudes from 1E-05 up to, not including, 1E+15 are written plainly.
constexpr int kSmallestPlainExponent = -5;
constexpr int kLargestPlainExponent = 14;

// A finite value rounded to 15 significant decimal digits:
// value = (negative ? -1 : 1) * 0.d1d2...dn * 10^(exponent + 1), i.e. the
// first digit stands at 10^exponent. Zero has no digits.
struct Decimal15 {
  bool negative = false;
  int exponent = 0;
  int count = 0;  // significant digits, trailing zeros removed
  std::array<char, kSignificantDigits> digits{};
};

// Reads the digits and the exponent of to_chars' scientific form
// "d.ddd...e+XX" into `out`, keeping the first `keep` digits.
void ReadScientific(std::string_view text, int keep, Decimal15& out) {
  const std::size_t e = text.find('e');
  int n = 0;
  for (std::size_t i = 0; i < e && n < keep; ++i) {
    if (text[i] != '.') out.digits[static_cast<std::size_t>(n++)] = text[i];
  }
  out.count = n;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  out.exponent);
}

// True when `magnitude`, whose 16-digit rounding is `sixteen`, lies exactly
// halfway between two 15-digit decimals. to_chars breaks such ties towards an
// even last digit; the 15-digit form breaks them away from zero.
bool IsExactHalf(double magnitude, std::string_view sixteen) {
  const std::size_t e = sixteen.find('e');
  if (sixteen[e - 1] != '5') return false;
  // Cheap necessary condition: an exact 16-digit decimal reads back as itself.
  double back = 0;
  std::from_chars(sixteen.data(), sixteen.data() + sixteen.size(), back);
  if (back != magnitude) return false;
  // Exact check: every digit of the full expansion past the 16th is zero. A
  // double's exact decimal expansion has at most 767 significant digits.
  std::array<char, 800> exact{};
  const auto printed = std::to_chars(exact.data(), exact.data() + exact.size(), magnitude,
                                     std::chars_format::scientific, 770);
  const std::string_view all(exact.data(), static_cast<std::size_t>(printed.ptr - exact.data()));
  const std::string_view tail = all.substr(17, all.find('e') - 17);  // "d." + 15 digits
  return tail.find_first_not_of('0') == std::string_view::npos;
}

// Adds one unit in the last of the 15 digits, carrying as far as needed.
void RoundUpLastDigit(Decimal15& d) {
  int i = kSignificantDigits - 1;
  for (; i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9'; --i) {
    d.digits[static_cast<std::size_t>(i)] = '0';
  }
  if (i >= 0) {
    ++d.digits[static_cast<std::size_t>(i)];
  } else {
    d.digits[0] = '1';
    ++d.exponent;
  }
}

Decimal15 ToDecimal15(double value) {
  if (!std::isfinite(value)) throw CalcError(ErrorCode::kOverflow);
  Decimal15 d;
  if (value == 0) return d;
  d.negative = value < 0;
  const double magnitude = std::fabs(value);

  std::array<char, 32> sixteen{};
  const auto end16 = std::to_chars(sixteen.data(), sixteen.data() + sixteen.size(), magnitude,
                                   std::chars_format::scientific, kSignificantDigits);
  const std::string_view text16(sixteen.data(),
                                static_cast<std::size_t>(end16.ptr - sixteen.data()));
  if (IsExactHalf(magnitude, text16)) {
    ReadScientific(text16, kSignificantDigits, d);
    RoundUpLastDigit(d);
  } else {
    std::array<char, 32> fifteen{};
    const auto end15 = std::to_chars(fifteen.data(), fifteen.data() + fifteen.size(), magnitude,
                                     std::chars_format::scientific, kSignificantDigits - 1);
    ReadScientific({fifteen.data(), static_cast<std::size_t>(end15.ptr - fifteen.data())},
                   kSignificantDigits, d);
  }
  while (d.count > 0 && d.digits[static_cast<std::size_t>(d.count - 1)] == '0') --d.count;
  return d;
}

std::string_view Digits(const Decimal15& d) {
  return {d.digits.data(), static_cast<std::size_t>(d.count)};
}

// "1.5E+20", "1E-06": the exponent form of a nonzero magnitude.
void AppendExponentForm(const Decimal15& d, std::string& out) {
  out += d.digits[0];
  if (d.count > 1) {
    out += '.';
    out += Digits(d).substr(1);
  }
  out += d.exponent < 0 ? "E-" : "E+";
  const int power = std::abs(d.exponent);
  if (power < 10) out += '0';
  out += std::to_string(power);
}

// The magnitude of `d` as NumberToText and NumberToSignedText write it.
void AppendMagnitude(const Decimal15& d, bool zeroBeforePoint, std::string& out) {
  if (d.count == 0) {
    out += '0';
  } else if (d.exponent > kLargestPlainExponent || d.exponent < kSmallestPlainExponent) {
    AppendExponentForm(d, out);
  } else if (d.exponent >= 0) {
    const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
    const std::string_view digits = Digits(d);
    out += digits.substr(0, integerDigits);
    if (digits.size() < integerDigits) {
      out.append(integerDigits - digits.size(), '0');
    } else if (digits.size() > integerDigits) {
      out += '.';
      out += digits.substr(integerDigits);
    }
  } else {
    if (zeroBeforePoint) out += '0';
    out += '.';
    out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    out += Digits(d);
  }
}

}  // namespace

std::string NumberToText(double value) {
  const Decimal15 d = ToDecimal15(value);
  std::string out = d.negative ? "-" : "";
  AppendMagnitude(d, /*zeroBeforePoint=*/true, out);
  return out;
}

std::string NumberToSignedText(double value) {
  const Decimal15 d = ToDecimal15(value);
  std::string out = d.negative ? "-" : " ";
  AppendMagnitude(d, /*zeroBeforePoint=*/false, out);
  return out;
}

std::string IntegerToText(std::int64_t value) {
  std::array<char, 24> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return {buffer.data(), end.ptr};
}

std::string FormatTwoDecimals(std::string_view text) {
  if (text.empty()) return {};
  const std::optional<double> value = TryParseNumberStrict(text);
  if (!value) return std::string(text);
  const Decimal15 d = ToDecimal15(*value);
  if (d.count > 0 && d.exponent > kLargestPlainExponent) {
    std::string out = d.negative ? "-" : "";
    AppendExponentForm(d, out);
    return out;
  }

  // Round in decimal: keep the digits down to the hundredths and look at the
  // next one. Below 1E+15 the kept digits fit in 17 decimal places.
  std::uint64_t cents = 0;
  const int kept = d.count == 0 ? 0 : d.exponent + 3;  // digits down to 10^-2
  for (int i = 0; i < kept; ++i) {
    const char digit = i < d.count ? d.digits[static_cast<std::size_t>(i)] : '0';
    cents = cents * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  if (kept >= 0 && kept < d.count && d.digits[static_cast<std::size_t>(kept)] >= '5') ++cents;

  std::string out = (d.negative && cents != 0) ? "-" : "";
  out += IntegerToText(static_cast<std::int64_t>(cents / 100));
  out += '.';
  const auto fraction = static_cast<int>(cents % 100);
  if (fraction != 0) {
    out += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) out += static_cast<char>('0' + fraction % 10);
  }
  return out;
}

double Round15(double value) {
  return ParseLeadingNumber(NumberToText(value));
}

}  // namespace quillbary
