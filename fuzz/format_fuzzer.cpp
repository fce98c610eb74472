// The writers on any text and any double: the money format is stable on its
// own output, has the money shape, and stays within half a fen of the value;
// the signed-column form reads back as the 15-digit value.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_properties.h"
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

void CheckMoneyFormat(const std::string& text) {
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
    return;
  }
  Require(HasMoneyShape(money), "money shape");
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
