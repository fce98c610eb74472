// The lenient reader on any text: it fails only with overflow, gives a finite
// value, ignores blanks, stops where the number stops, reads full-width
// characters as their ASCII twins, and agrees with the strict reader on plain
// number texts.
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz_properties.h"
#include "quillbary/number_parse.h"

using namespace quillbary;
using namespace quillbary::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Parsed read = Try(ParseLeadingNumber, text);
  Require(read.error == 0 || read.error == static_cast<int>(ErrorCode::kOverflow),
          "lenient read fails only with overflow");
  Require(std::isfinite(read.value), "lenient read is finite");

  std::string spaced;
  for (std::size_t i = 0; i < text.size(); ++i) {
    spaced += text[i];
    // Between characters, never inside one.
    if (i + 1 == text.size() || !IsContinuationByte(text[i + 1])) spaced += ' ';
  }
  Require(Try(ParseLeadingNumber, spaced) == read, "blanks between characters change nothing");
  Require(Try(ParseLeadingNumber, text + "x%元") == read, "text after the number changes nothing");
  Require(Try(ParseLeadingNumber, text + "ｘ％") == read,
          "full-width text after the number changes nothing");
  Require(Try(ParseLeadingNumber, ToFullWidth(text)) == read,
          "full-width twins read as their ASCII characters");

  if (IsPlainNumber(text)) {
    Require(Try(ParseNumberStrict, text) == read, "both readers agree on a plain number");
  }
  return 0;
}
