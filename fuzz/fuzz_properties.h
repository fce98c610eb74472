// Checks shared by the fuzz targets. A failed check aborts, which libFuzzer
// reports as a finding with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "quillbary/calc_error.h"

namespace quillbary::fuzz {

inline void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}

// A plain number: an optional sign, digits with at most one period (at least
// one digit), and an optional exponent; no commas, blanks or anything else.
bool IsPlainNumber(std::string_view text);

// The text with each ASCII character from ! to ~ (0x21..0x7E) written as its
// full-width twin U+FF01..U+FF5E, in UTF-8; every other byte as it is.
std::string ToFullWidth(std::string_view text);

// The significant digits of a number text: those of its mantissa without
// leading or trailing zeros. "0.00028500000000000004" has 17, "1.5E+300" 2,
// "10000" 1, "0" 0.
int SignificantDigits(std::string_view number);

// Whether the byte continues a UTF-8 sequence (10xxxxxx).
inline bool IsContinuationByte(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The result of a conversion, with either error as a value, so that two
// conversions can be compared.
struct Parsed {
  double value = 0;
  int error = 0;  // 0, or the error code
  bool operator==(const Parsed&) const = default;
};

template <class Convert, class Argument>
Parsed Try(Convert convert, const Argument& argument) {
  try {
    return {convert(argument), 0};
  } catch (const CalcError& error) {
    return {0, static_cast<int>(error.code())};
  }
}

}  // namespace quillbary::fuzz
