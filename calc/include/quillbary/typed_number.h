// Amounts and rates as a clerk types them: which inputs the Calculate command
// takes as a number, the number each one is, and the warning for one it
// refuses. The number readers stay lenient (they also read back the window's
// own texts); this rule decides which typed inputs ever reach them, so that
// "10,000" never silently becomes 10 and "5,31" never 531.
//
// Blanks, tabs and line feeds anywhere are ignored and full-width forms are
// read as their ASCII twins, as the readers do. What remains is a number when
// it is wholly one of:
//
//   [+|-] integer [. [digits]] [(E|e) [+|-] digits]
//   [+|-] . digits [(E|e) [+|-] digits]
//   &H hexadecimal-digits  or  &O octal-digits  (H and O in either case)
//
// where `integer` is digits without commas, or one to three digits followed
// by one or more groups of exactly three, each after a comma. For the amount
// a trailing 元 is allowed too. An accepted input is the number of its
// digits with the commas removed:
//
//   "10,000"       -> 10000        "10,000.50"   -> 10000.5
//   "1,234,567.5"  -> 1234567.5    "1 000"       -> 1000
//   "１０，０００"  -> 10000        "-.5"         -> -0.5
//   "1e3"          -> 1000         "&H1F"        -> 31
//   "1000元"       -> 1000 (amount only)
//
// Refused: "1万", "￥10000", "10,0", "5,31", "1,0", "1234,567", ",100",
// "5%", "5.31‰", "1.2.3", "12abc", "2e", "-&H1F", "" and " ".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillbary {

// The two inputs a clerk types a number into.
enum class TypedField {
  kAmount,  // 还款金额 (hkje)
  kRate,    // 月利率(‰) (ll)
};

// The accepted input as a plain number text, blanks, commas and 元 gone and
// full-width folded ("１０，０００元" -> "10000"); nothing when it is refused.
std::optional<std::string> PlainNumberText(std::string_view typed, TypedField field);

// The number of an accepted input. Raises CalcError(kTypeMismatch) for a
// refused one and CalcError(kOverflow) for one beyond the double range
// ("1e400").
double ReadTypedNumber(std::string_view typed, TypedField field);

// The warning for a refused input, naming the field and quoting what was
// typed (its first 20 characters and "…" when longer):
//
//   "还款金额“1万”不是数字。请只填数字，如 10000 或 10,000.00。"
//   "月利率“5,31”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。"
std::string NotANumberWarning(TypedField field, std::string_view typed);

}  // namespace quillbary
