// Reading numbers from field texts.
//
// Two readers with two grammars. Both read only the characters their grammar
// allows and then convert the accepted digits to the nearest double, so a
// text gives the same value on every machine and in every locale: the
// decimal separator is always the period.
//
// A number whose value lies beyond the range of a double (magnitude above
// about 1.7976931348623157E+308 once rounded) raises CalcError(kOverflow),
// code 6, in both readers; it never becomes infinity. A nonzero number too
// small for a double reads as the nearest double, which may be a subnormal or
// a zero of the number's sign.
//
// Full-width input: both readers first read every full-width form U+FF01 to
// U+FF5E (what a Chinese input method types in full-width mode: ０-９, ．,
// ＋, －, ，, Ｅ, ＆Ｈ...) as its ASCII twin U+0021 to U+007E, Unicode's
// width folding, then apply their grammar. A folded character means what its
// twin means: the strict reader refuses ５％ as it refuses 5%, and the lenient
// reader stops at ，as at a comma. Full-width and ASCII characters mix
// freely. Nothing outside that range is folded: the ideographic space U+3000
// is not a blank.
#pragma once

#include <optional>
#include <string_view>

namespace quillbary {

// The lenient reader, for amounts and day counts. Never fails on a text that
// is not a number: it reads the longest number at the start and ignores the
// rest.
//
// 1. Blanks, tabs and line feeds are removed from the whole text first.
// 2. Then: an optional + or -, digits with at most one period, then an
//    optional exponent (E or e, an optional sign, at least one digit). An E
//    that is not followed by digits ends the number before it. At least one
//    digit must stand before the exponent.
// 3. Or: &H (hexadecimal digits) or &O (octal digits), letters in either
//    case, read as a nonnegative integer; no sign may precede the prefix.
// 4. Nothing numeric at the start gives 0.
//
//   ""            -> 0           " 12.5abc"  -> 12.5
//   "1,000"       -> 1           "1 2 3"     -> 123
//   "1000元"      -> 1000        "abc"       -> 0
//   "-.5"         -> -0.5        "1e3"       -> 1000
//   "2e"          -> 2           "2e+"       -> 2
//   "1.2.3"       -> 1.2         "+7"        -> 7
//   "&H1F"        -> 31          "&o17"      -> 15
//   "&HG"         -> 0           "-&H1F"     -> 0
//   "１００００"  -> 10000       "１０００元" -> 1000
//   "1０00"       -> 1000        "－．５"    -> -0.5
//   "１，０００"  -> 1           "＆Ｈ１Ｆ"  -> 31
//   "\u3000５"    -> 0 (U+3000 is no blank)
//   "1e999"       -> CalcError(kOverflow)
double ParseLeadingNumber(std::string_view text);

// The strict reader, for texts that meet arithmetic. The whole text, apart
// from spaces before and after it, must be one number:
//
//   [+|-] digits [, digits]... [. [digits]] [(E|e) [+|-] digits]
//   [+|-] . digits [(E|e) [+|-] digits]
//
// Commas between groups of integer digits are accepted and ignored, whatever
// the size of the groups; a comma must stand between two digits. Anything
// else (an empty or all-blank text, letters, a percent or per-mille sign, a
// currency sign, parentheses, inner blanks) raises
// CalcError(kTypeMismatch), code 13.
//
//   " 7.965"      -> 7.965       " .45"      -> 0.45
//   "1,000.5"     -> 1000.5      "100."      -> 100
//   "-1.5E+20"    -> -1.5e20     "+3"        -> 3
//   "５．３１"    -> 5.31        "１，０００" -> 1000
//   "－５"        -> -5          "１ｅ３"    -> 1000
//   "5%"          -> CalcError(kTypeMismatch)
//   "５％"        -> CalcError(kTypeMismatch)
//   "\u3000５"    -> CalcError(kTypeMismatch) (U+3000 is no blank)
//   ""            -> CalcError(kTypeMismatch)
//   "1,"          -> CalcError(kTypeMismatch)
//   "1e400"       -> CalcError(kOverflow)
double ParseNumberStrict(std::string_view text);

// The strict reader without errors, for a caller to whom a text that is not a
// number is an ordinary answer: the value ParseNumberStrict gives, or nothing
// where it raises either error.
//
//   " 7.965"      -> 7.965       "1,000.5"   -> 1000.5
//   "5%"          -> nothing     ""          -> nothing
//   "1e400"       -> nothing     "1e-400"    -> 0
std::optional<double> TryParseNumberStrict(std::string_view text);

}  // namespace quillbary
