#include "quillbary/money_capitals.h"

#include <array>
#include <cstddef>

namespace quillbary {
namespace {

constexpr std::array<std::string_view, 10> kDigits = {"零", "壹", "贰", "叁", "肆",
                                                      "伍", "陆", "柒", "捌", "玖"};
constexpr std::array<std::string_view, 4> kPlacesInSection = {"", "拾", "佰", "仟"};
// 999999999999999: the integer digits of kLargestAmountInCapitals.
constexpr std::size_t kMaxIntegerDigits = 15;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

struct MoneyDigits {
  bool negative = false;
  std::string_view integer;  // no leading zero; "0" below one yuan
  int jiao = 0;
  int fen = 0;
};

// Splits "-1409.5" into its parts; nullopt when the text is not of the money
// form or has more integer digits than the capitals name.
std::optional<MoneyDigits> SplitMoneyText(std::string_view text) {
  MoneyDigits money;
  money.negative = !text.empty() && text[0] == '-';
  if (money.negative) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos) return std::nullopt;
  money.integer = text.substr(0, point);
  const std::string_view fraction = text.substr(point + 1);
  const auto allDigits = [](std::string_view s) {
    for (const char c : s) {
      if (!IsDigit(c)) return false;
    }
    return true;
  };
  if (money.integer.empty() || !allDigits(money.integer) || fraction.size() > 2 ||
      !allDigits(fraction)) {
    return std::nullopt;
  }
  if (money.integer.size() > 1 && money.integer[0] == '0') return std::nullopt;
  if (money.integer.size() > kMaxIntegerDigits) return std::nullopt;
  if (!fraction.empty()) money.jiao = fraction[0] - '0';
  if (fraction.size() == 2) money.fen = fraction[1] - '0';
  return money;
}

// The integer digits by place: place 0 is the yuan digit.
class YuanDigits {
 public:
  explicit YuanDigits(std::string_view digits) : digits_(digits) {}

  int Top() const { return static_cast<int>(digits_.size()) - 1; }
  int At(int place) const {
    return place > Top() ? 0 : digits_[static_cast<std::size_t>(Top() - place)] - '0';
  }

  // 万 at places 4 and 12, 亿 at place 8; empty elsewhere.
  static std::string_view SectionUnit(int place) {
    if (place == 4 || place == 12) return "万";
    return place == 8 ? "亿" : "";
  }

  // Whether the section whose unit stands at `place` holds a nonzero digit.
  // The 亿 section reaches to the top, since the count of 亿 has its own 万.
  bool SectionHoldsNonzero(int place) const {
    const int sectionTop = place == 4 ? 7 : Top();
    for (int p = place; p <= sectionTop; ++p) {
      if (At(p) != 0) return true;
    }
    return false;
  }

 private:
  std::string_view digits_;
};

// The nonzero yuan digits with their places, their zeros and their section
// units, without 元.
void AppendYuan(const YuanDigits& yuan, std::string& out) {
  for (int place = yuan.Top(); place >= 0; --place) {
    const int digit = yuan.At(place);
    if (digit != 0) {
      const int above = place + 1;
      const bool zeroAbove = above <= yuan.Top() && yuan.At(above) == 0;
      const bool onlyTrailingZerosOfASection =
          !YuanDigits::SectionUnit(above).empty() && yuan.SectionHoldsNonzero(above);
      if (zeroAbove && !onlyTrailingZerosOfASection) out += kDigits[0];
      out += kDigits[static_cast<std::size_t>(digit)];
      out += kPlacesInSection[static_cast<std::size_t>(place % 4)];
    }
    const std::string_view unit = YuanDigits::SectionUnit(place);
    if (!unit.empty() && yuan.SectionHoldsNonzero(place)) out += unit;
  }
}

}  // namespace

std::optional<std::string> MoneyInCapitals(std::string_view moneyText) {
  const std::optional<MoneyDigits> money = SplitMoneyText(moneyText);
  if (!money) return std::nullopt;
  const YuanDigits yuan(money->integer);
  const bool wholeYuan = money->integer != "0";
  const bool cents = money->jiao != 0 || money->fen != 0;
  if (!wholeYuan && !cents) return std::string("零元整");

  std::string out = money->negative ? "负" : "";
  if (wholeYuan) {
    AppendYuan(yuan, out);
    out += "元";
    if (!cents) return out + "整";
    // A zero yuan digit before 角, or an empty 角 before 分.
    if (money->jiao == 0 || yuan.At(0) == 0) out += kDigits[0];
  }
  if (money->jiao != 0) {
    out += kDigits[static_cast<std::size_t>(money->jiao)];
    out += "角";
  }
  if (money->fen != 0) {
    out += kDigits[static_cast<std::size_t>(money->fen)];
    out += "分";
  }
  return out;
}

}  // namespace quillbary
