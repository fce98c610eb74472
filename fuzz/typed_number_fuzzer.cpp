// The typed-number rule on any text: an accepted input reads to the value of
// its digits with the commas removed, the amount takes what the rate takes
// and a trailing 元 besides, and a plain number grouped by thousands is
// accepted as itself while a group of the wrong size is refused.
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_properties.h"
#include "quillbary/number_parse.h"
#include "quillbary/typed_number.h"

using namespace quillbary;
using namespace quillbary::fuzz;

namespace {

constexpr std::string_view kFullWidthComma = "，";

std::string WithoutCommas(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ',') continue;
    if (text.substr(i).starts_with(kFullWidthComma)) {
      i += kFullWidthComma.size() - 1;
      continue;
    }
    plain += text[i];
  }
  return plain;
}

// `number` (a plain number) with a comma before each group of three integer
// digits, counted from the last; `groupSize` other than 3 makes groups of
// that size instead.
std::string Grouped(std::string_view number, std::size_t groupSize) {
  std::size_t start = (number[0] == '+' || number[0] == '-') ? 1 : 0;
  std::size_t end = start;
  while (end < number.size() && number[end] >= '0' && number[end] <= '9') ++end;
  std::string integer(number.substr(start, end - start));
  for (std::size_t at = integer.size(); at > groupSize; at -= groupSize) {
    integer.insert(at - groupSize, ",");
  }
  return std::string(number.substr(0, start)) + integer + std::string(number.substr(end));
}

Parsed ReadAs(const std::string& text, TypedField field) {
  return Try([field](const std::string& t) { return ReadTypedNumber(t, field); }, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const TypedField field : {TypedField::kAmount, TypedField::kRate}) {
    const std::optional<std::string> plain = PlainNumberText(text, field);
    const Parsed read = ReadAs(text, field);
    if (!plain) {
      Require(read.error == static_cast<int>(ErrorCode::kTypeMismatch),
              "a refused input never reads as a number");
      continue;
    }
    Require(read.error == 0 || read.error == static_cast<int>(ErrorCode::kOverflow),
            "an accepted input reads, or is beyond the range");
    Require(Try(ParseLeadingNumber, WithoutCommas(text)) == read,
            "an accepted input is the value of its digits with the commas removed");
    Require(ReadAs(*plain, field) == read, "the plain text reads as the input");
    if (!plain->starts_with('&')) {
      Require(Try(ParseNumberStrict, *plain) == read, "the strict reader agrees on the plain text");
    }
  }
  const std::optional<std::string> asRate = PlainNumberText(text, TypedField::kRate);
  if (asRate) {
    Require(PlainNumberText(text, TypedField::kAmount) == asRate,
            "the amount takes what the rate takes");
    Require(PlainNumberText(text + "元", TypedField::kAmount) == asRate,
            "the amount takes a trailing 元");
    Require(!PlainNumberText(text + "元", TypedField::kRate), "the rate takes no 元");
  }

  if (IsPlainNumber(text)) {
    const Parsed plainRead = Try(ParseLeadingNumber, text);
    const std::string grouped = Grouped(text, 3);
    Require(ReadAs(grouped, TypedField::kRate) == plainRead,
            "a number grouped by thousands reads as itself");
    const std::string mis = Grouped(text, 2);
    if (mis != text) {
      Require(!PlainNumberText(mis, TypedField::kAmount), "groups of two are refused");
    }
  }
  return 0;
}
