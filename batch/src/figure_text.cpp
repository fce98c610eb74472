#include "figure_text.h"

#include <optional>

namespace quillbary::batch::detail {
namespace {

// A number text taken apart: its sign, its digits and where the point
// stands among them (the count of digits before it, possibly negative or
// past the end).
struct Decimal {
  bool negative = false;
  std::string digits;
  long long point = 0;
};

std::optional<Decimal> Parse(std::string_view text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
  Decimal d;
  if (text.starts_with('-') || text.starts_with('+')) {
    d.negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool seenPoint = false;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else if (c >= '0' && c <= '9') {
      d.digits.push_back(c);
      if (!seenPoint) ++d.point;
    } else {
      break;
    }
  }
  if (d.digits.empty()) return std::nullopt;
  if (i < text.size()) {
    if (text[i] != 'E' && text[i] != 'e') return std::nullopt;
    std::string_view power = text.substr(i + 1);
    const bool down = power.starts_with('-');
    if (power.starts_with('-') || power.starts_with('+')) power.remove_prefix(1);
    if (power.empty() || power.size() > 4) return std::nullopt;
    long long exponent = 0;
    for (char c : power) {
      if (c < '0' || c > '9') return std::nullopt;
      exponent = exponent * 10 + (c - '0');
    }
    d.point += down ? -exponent : exponent;
  }
  return d;
}

std::string Written(const Decimal& d, std::size_t leastDecimals) {
  std::string whole, fraction;
  if (d.point <= 0) {
    whole = "0";
    fraction.assign(static_cast<std::size_t>(-d.point), '0');
    fraction += d.digits;
  } else if (static_cast<std::size_t>(d.point) >= d.digits.size()) {
    whole = d.digits;
    whole.append(static_cast<std::size_t>(d.point) - d.digits.size(), '0');
  } else {
    whole = d.digits.substr(0, static_cast<std::size_t>(d.point));
    fraction = d.digits.substr(static_cast<std::size_t>(d.point));
  }
  const std::size_t first = whole.find_first_not_of('0');
  whole = first == std::string::npos ? "0" : whole.substr(first);
  if (fraction.size() < leastDecimals) fraction.append(leastDecimals - fraction.size(), '0');
  return (d.negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

}  // namespace

std::string PlainDecimal(std::string_view figure) {
  const std::optional<Decimal> d = Parse(figure);
  return d ? Written(*d, 0) : std::string(figure);
}

std::string PlainMoney(std::string_view figure) {
  const std::optional<Decimal> d = Parse(figure);
  return d ? Written(*d, 2) : std::string(figure);
}

}  // namespace quillbary::batch::detail
