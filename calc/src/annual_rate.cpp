#include "quillbary/annual_rate.h"

#include <array>
#include <charconv>
#include <cstdlib>

#include "quillbary/calc_error.h"
#include "quillbary/typed_number.h"

namespace quillbary {
namespace {

constexpr std::string_view kPerMille = "‰";
// The furthest a figure's digits may stand from the decimal point.
constexpr long kMostPlaces = 40;

// A decimal number as digits and the power of ten of the last one:
// "-4.35" is {true, "435", -2}.
struct Decimal {
  bool negative = false;
  std::string digits;
  long exponent = 0;
};

// Reads a plain number text (PlainNumberText's output: an optional sign,
// digits with an optional period, an optional exponent), or an &H or &O
// integer through the typed-number reader.
std::optional<Decimal> ReadDecimal(const std::string& plain) {
  if (!plain.empty() && plain.front() == '&') {
    double value = 0;
    try {
      value = ReadTypedNumber(plain, TypedField::kRate);
    } catch (const CalcError&) {
      return std::nullopt;
    }
    std::array<char, 400> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::fixed, 0);
    return Decimal{false, std::string(buffer.data(), end.ptr), 0};
  }
  Decimal d;
  std::size_t i = 0;
  if (i < plain.size() && (plain[i] == '+' || plain[i] == '-')) d.negative = plain[i++] == '-';
  bool afterPoint = false;
  for (; i < plain.size() && plain[i] != 'E' && plain[i] != 'e'; ++i) {
    if (plain[i] == '.') {
      afterPoint = true;
    } else {
      d.digits += plain[i];
      if (afterPoint) --d.exponent;
    }
  }
  if (i < plain.size()) {
    const std::string_view exponent = std::string_view(plain).substr(i + 1);
    const std::size_t from = !exponent.empty() && exponent.front() == '+' ? 1 : 0;
    long value = 0;
    const auto [end, ec] =
        std::from_chars(exponent.data() + from, exponent.data() + exponent.size(), value);
    if (ec != std::errc() || std::labs(value) > kMostPlaces) return std::nullopt;
    d.exponent += value;
  }
  return d;
}

// The digits times a small factor, carried from the last digit.
std::string Times(const std::string& digits, int factor) {
  std::string product(digits.size(), '0');
  int carry = 0;
  for (std::size_t i = digits.size(); i-- > 0;) {
    const int value = (digits[i] - '0') * factor + carry;
    product[i] = static_cast<char>('0' + value % 10);
    carry = value / 10;
  }
  for (; carry > 0; carry /= 10) {
    product.insert(product.begin(), static_cast<char>('0' + carry % 10));
  }
  return product;
}

// The number as a plain decimal text: no exponent, no leading or trailing
// zeros beyond one before the point, no point without digits after it.
std::string PlainText(const Decimal& d) {
  std::string whole = d.digits;
  std::string fraction;
  if (d.exponent >= 0) {
    whole.append(static_cast<std::size_t>(d.exponent), '0');
  } else {
    const auto places = static_cast<std::size_t>(-d.exponent);
    if (whole.size() < places) whole.insert(0, places - whole.size(), '0');
    fraction = whole.substr(whole.size() - places);
    whole.erase(whole.size() - places);
  }
  whole.erase(0, whole.find_first_not_of('0'));
  if (whole.empty()) whole = "0";
  fraction.erase(fraction.find_last_not_of('0') + 1);
  const bool zero = whole == "0" && fraction.empty();
  return (d.negative && !zero ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

}  // namespace

std::optional<std::string> AnnualPercent(std::string_view typedRate) {
  const std::optional<std::string> plain = PlainNumberText(typedRate, TypedField::kRate);
  if (!plain) return std::nullopt;
  std::optional<Decimal> rate = ReadDecimal(*plain);
  if (!rate || rate->exponent - 1 < -kMostPlaces) return std::nullopt;
  // ‰ × 12 ÷ 10: twelve times the digits, one place further right.
  rate->digits = Times(rate->digits, 12);
  rate->exponent -= 1;
  return PlainText(*rate);
}

std::string RateTip(std::string_view typedRate) {
  const std::optional<std::string> annual = AnnualPercent(typedRate);
  if (!annual) return "月利率(‰)：填月利率的千分数，如 4.35，即年利率 5.22%";
  return "月利率 " + *PlainNumberText(typedRate, TypedField::kRate) + "‰ = 年利率 " + *annual + "%";
}

std::string WithAnnualRate(std::string_view permilleValue) {
  if (!permilleValue.ends_with(kPerMille)) return std::string(permilleValue);
  const std::optional<std::string> annual =
      AnnualPercent(permilleValue.substr(0, permilleValue.size() - kPerMille.size()));
  if (!annual) return std::string(permilleValue);
  return std::string(permilleValue) + "（" + std::string(kAnnualRateItem) + " " + *annual + "%）";
}

}  // namespace quillbary
