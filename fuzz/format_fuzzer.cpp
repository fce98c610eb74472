// The writers on any text and any double: the money format is stable on its
// own output, has the money shape, stays within half a fen of the value and
// has capitals exactly in plain form; the signed-column form reads back as
// the 15-digit value.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_properties.h"
#include "quillbary/money_capitals.h"
#include "quillbary/number_format.h"
#include "quillbary/number_parse.h"

using namespace quillbary;
using namespace quillbary::fuzz;

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// "-12.3", "0.", "100.": a sign, at least one digit, a period, up to two digits.
bool HasMoneyShape(std::string_view money) {
  std::size_t i = (!money.empty() && money[0] == '-') ? 1 : 0;
  const std::size_t integerStart = i;
  while (i < money.size() && IsDigit(money[i])) ++i;
  if (i == integerStart || i == money.size() || money[i] != '.') return false;
  const std::size_t fraction = money.size() - i - 1;
  return fraction <= 2 && (fraction == 0 || money.back() != '0');
}

// Every plain money text has capitals, 负 exactly for a negative amount, with
// one capital digit for each nonzero digit; an exponent form has none.
void CheckCapitals(const std::string& money, bool exponentForm) {
  const std::optional<std::string> capitals = MoneyInCapitals(money);
  if (exponentForm) {
    Require(!capitals, "an exponent form has no capitals");
    return;
  }
  Require(capitals.has_value(), "a plain money text has capitals");
  Require(capitals->starts_with("负") == (money[0] == '-'), "负 exactly for a negative amount");
  static constexpr std::string_view kNonzeroDigits[] = {"壹", "贰", "叁", "肆", "伍",
                                                        "陆", "柒", "捌", "玖"};
  for (char digit = '1'; digit <= '9'; ++digit) {
    const std::string_view capital = kNonzeroDigits[digit - '1'];
    std::size_t written = 0;
    for (std::size_t at = capitals->find(capital); at != std::string::npos;
         at = capitals->find(capital, at + 1)) {
      ++written;
    }
    Require(written == static_cast<std::size_t>(std::count(money.begin(), money.end(), digit)),
            "one capital digit for each nonzero digit");
  }
}

void CheckMoneyFormat(const std::string& text) {
  if (MoneyInCapitals(text)) {
    Require(Try(ParseNumberStrict, text).error == 0, "only a number text has capitals");
  }
  const std::string money = FormatTwoDecimals(text);
  Require(FormatTwoDecimals(money) == money, "the money format is stable on its own output");
  const Parsed value = Try(ParseNumberStrict, text);
  if (text.empty() || value.error != 0) {
    Require(money == text, "a text that is not a number stays as it is");
    return;
  }
  const double rounded = Round15(value.value);
  if (std::fabs(rounded) >= 1e15) {
    Require(Try(ParseNumberStrict, money) == Parsed{rounded, 0}, "exponent form keeps the value");
    CheckCapitals(money, /*exponentForm=*/true);
    return;
  }
  Require(HasMoneyShape(money), "money shape");
  CheckCapitals(money, /*exponentForm=*/false);
  const double shown = ParseNumberStrict(money);
  // Half a fen, and the spacing of doubles where that is coarser.
  const double spacing = std::nextafter(std::fabs(rounded), INFINITY) - std::fabs(rounded);
  Require(std::fabs(shown - rounded) <= 0.005 * (1 + 1e-12) + 4 * spacing,
          "within half a fen of the value");
}

void CheckSignedColumn(double value) {
  const Parsed rounded = Try(Round15, value);
  std::string text;
  try {
    text = NumberToSignedText(value);
  } catch (const CalcError&) {
    Require(false, "a finite value always has a signed-column text");
  }
  Require(text[0] == ' ' || text[0] == '-', "sign column");
  Require(Try(ParseNumberStrict, text) == rounded, "strict read-back is the 15-digit value");
  Require(Try(ParseLeadingNumber, text) == rounded, "lenient read-back is the 15-digit value");
  if (rounded.error == 0) {
    Require(NumberToSignedText(rounded.value) == text, "the 15-digit value writes the same");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckMoneyFormat(std::string(reinterpret_cast<const char*>(data), size));
  if (size >= sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    if (std::isfinite(value)) CheckSignedColumn(value);
  }
  return 0;
}
