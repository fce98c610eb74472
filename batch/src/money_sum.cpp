#include "money_sum.h"

namespace quillbary::batch::detail {
namespace {

__extension__ typedef __int128 Fen;

// Adds a total ("561.98", "-3.5", "1.5E+20") to `sum`; false when the text is
// no money text or the sum leaves the range kept.
bool AddMoney(std::string_view text, Fen& sum) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  Fen digits = 0;
  int places = 0;  // the power of ten of the last digit read
  int digitCount = 0;
  bool afterPoint = false;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !afterPoint) {
      afterPoint = true;
    } else if (c >= '0' && c <= '9') {
      if (++digitCount > 30) return false;
      digits = digits * 10 + (c - '0');
      if (afterPoint) --places;
    } else {
      break;
    }
  }
  if (i < text.size()) {
    if (text[i] != 'E' && text[i] != 'e') return false;
    int exponent = 0;
    const std::string_view rest = text.substr(i + 1);
    const bool minus = rest.starts_with('-');
    for (char c : rest.substr(rest.starts_with('-') || rest.starts_with('+') ? 1 : 0)) {
      if (c < '0' || c > '9' || exponent > 100) return false;
      exponent = exponent * 10 + (c - '0');
    }
    places += minus ? -exponent : exponent;
  }
  for (int shift = places + 2; shift > 0; --shift) {
    if (digits > Fen(1) << 100) return false;
    digits *= 10;
  }
  for (int shift = places + 2; shift < 0; ++shift) digits /= 10;
  sum += negative ? -digits : digits;
  return sum < (Fen(1) << 110) && sum > -(Fen(1) << 110);
}

std::string MoneyText(Fen fen) {
  const bool negative = fen < 0;
  if (negative) fen = -fen;
  std::string digits;
  for (Fen yuan = fen / 100; yuan > 0 || digits.empty(); yuan /= 10) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(yuan % 10)));
  }
  const int cents = static_cast<int>(fen % 100);
  return (negative ? "-" : "") + digits + "." + static_cast<char>('0' + cents / 10) +
         static_cast<char>('0' + cents % 10);
}

}  // namespace

void MoneySum::Add(std::string_view total) {
  inRange_ = inRange_ && AddMoney(total, fen_);
}

std::string MoneySum::Text() const {
  return inRange_ ? MoneyText(fen_) : "超出范围";
}

}  // namespace quillbary::batch::detail
