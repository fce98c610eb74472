// The strict reader on any text: only its two errors, a finite value, the
// same answer without errors, blanks around the number and comma group
// separators ignored, full-width characters read as their ASCII twins, and
// agreement with the lenient reader on plain number texts.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_properties.h"
#include "quillbary/number_parse.h"

using namespace quillbary;
using namespace quillbary::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Parsed read = Try(ParseNumberStrict, text);
  Require(read.error == 0 || read.error == static_cast<int>(ErrorCode::kOverflow) ||
              read.error == static_cast<int>(ErrorCode::kTypeMismatch),
          "strict read fails only with its two errors");
  Require(std::isfinite(read.value), "strict read is finite");
  const std::optional<double> tried = TryParseNumberStrict(text);
  Require(read.error == 0 ? tried == read.value : !tried.has_value(),
          "the reader without errors gives the value or nothing");
  Require(Try(ParseNumberStrict, "  " + text + " ") == read,
          "blanks around the text change nothing");
  Require(Try(ParseNumberStrict, ToFullWidth(text)) == read,
          "full-width twins read as their ASCII characters");

  if (read.error != static_cast<int>(ErrorCode::kTypeMismatch) &&
      text.find(',') != std::string::npos) {
    std::string plain;
    for (const char c : text) {
      if (c != ',') plain += c;
    }
    Require(Try(ParseNumberStrict, plain) == read, "group separators change nothing");
  }
  if (IsPlainNumber(text)) {
    Require(Try(ParseLeadingNumber, text) == read, "both readers agree on a plain number");
  }
  return 0;
}
