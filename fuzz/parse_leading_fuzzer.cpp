// The lenient reader on any text: it fails only with overflow, gives a finite
// value, ignores blanks, stops where the number stops, and agrees with the
// strict reader on plain number texts.
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
  for (const char c : text) (spaced += c) += ' ';
  Require(Try(ParseLeadingNumber, spaced) == read, "blanks between characters change nothing");
  Require(Try(ParseLeadingNumber, text + "x%元") == read, "text after the number changes nothing");

  if (IsPlainNumber(text)) {
    Require(Try(ParseNumberStrict, text) == read, "both readers agree on a plain number");
  }
  return 0;
}
