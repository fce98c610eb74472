// Writing numbers as field texts.
//
// Every number is written from its 15-significant-digit decimal form: the
// exact binary value rounded to 15 significant decimal digits, halves away
// from zero. (A half can only arise for the few doubles whose exact decimal
// value has exactly 16 significant digits, such as 1234567890123.125; it
// rounds to 1234567890123.13, as a clerk rounds.)
//
// Plain and exponent forms: a value whose rounded magnitude is at least 1E+15
// (more than 15 integer digits) or below 1E-05 is written in exponent form,
// the first digit, a period and the other digits when there are any, then E,
// the exponent's sign and at least two exponent digits: "1.5E+20", "1E-06".
// Both number readers read every text written here back to the same value.
//
// The writers take finite values only; infinity or NaN raise
// CalcError(kOverflow), as the arithmetic that made them would have.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillbary {

// The value in its 15-digit form, trailing zeros after the period dropped, a
// zero before the period of a magnitude below 1. Used only for a round trip
// through ParseLeadingNumber (see Round15).
//
//   0.45  -> "0.45"    -3     -> "-3"     1/3 -> "0.333333333333333"
//   1e20  -> "1E+20"   -0.0   -> "0"
std::string NumberToText(double value);

// The signed-column form: a blank in the sign position for zero and positive
// values (negative zero included), a minus sign for negatives, then the
// magnitude in 15-digit form with trailing zeros after the period dropped,
// the period dropped when no fraction remains, and no zero before the period
// of a magnitude below 1.
//
//   1.5 * 5.31 -> " 7.965"   0.45  -> " .45"    -0.25   -> "-.25"
//   0          -> " 0"       -3    -> "-3"      320.37  -> " 320.37"
//   1.5e20     -> " 1.5E+20" 1e-06 -> " 1E-06"  1e15    -> " 1E+15"
//   0.00001    -> " .00001"  999999999999999.9 -> " 1E+15"
std::string NumberToSignedText(double value);

// Plain decimal digits, a minus sign for negatives, no blank: 0 -> "0",
// 181 -> "181", -91 -> "-91".
std::string IntegerToText(std::int64_t value);

// The money format, two decimals at most and a period always:
// 1. An empty text stays empty.
// 2. A text that the strict reader refuses (TryParseNumberStrict gives
//    nothing: not a number, or beyond the double range) is returned
//    unchanged.
// 3. Otherwise the value's 15-digit form is rounded, in decimal, to two
//    decimal places, halves away from zero.
// 4. The result: a minus sign when the rounded value is below zero (a value
//    that rounds to zero has none), the integer digits (a lone 0 below 1), a
//    period, the fraction digits with trailing zeros dropped. A value of
//    1E+15 or more is written in exponent form instead, with its sign.
//
//   ""          -> ""          " 53.1"     -> "53.1"     "100"  -> "100."
//   "0.005"     -> "0.01"      "-12.345"   -> "-12.35"   "2.345" -> "2.35"
//   "0.004"     -> "0."        "-0.004"    -> "0."       "1,234.5" -> "1234.5"
//   "9.995"     -> "10."       " 1.5E+20"  -> "1.5E+20"  "abc"  -> "abc"
std::string FormatTwoDecimals(std::string_view text);

// ParseLeadingNumber(NumberToText(value)): the double nearest to the value
// rounded to 15 significant digits. Round15(0.1 + 0.2) == 0.3;
// Round15(5.31 / 30000) == 0.000177. Raises CalcError(kOverflow) when the
// rounded value lies beyond the double range (Round15(1.7976931348623157e308)).
double Round15(double value);

}  // namespace quillbary
