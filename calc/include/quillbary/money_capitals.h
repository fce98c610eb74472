// The total in Chinese capitals (人民币大写), as bills and vouchers write it.
//
// Digits 零壹贰叁肆伍陆柒捌玖; places 拾佰仟 inside each four-digit section;
// sections 万 and 亿, and 万亿 above 仟亿 (the count of 亿 takes its own 万);
// then 元角分. Every nonzero digit is written with its place, so ten to
// nineteen yuan are 壹拾…. Whole yuan end in 整; an amount with 角 or 分 has no
// 整. A negative amount starts with 负.
//
// Zeros. Where the rules for bills leave a choice, the first of the forms
// they show is taken, always:
// - One 零 for each run of zeros between two nonzero yuan digits:
//   1409.5 -> 壹仟肆佰零玖元伍角, 6007.14 -> 陆仟零柒元壹角肆分.
// - No 零 when the run is only the trailing zeros of a 万 or 亿 section that
//   holds a nonzero digit, and the next section starts with a nonzero 仟: the
//   section's unit already marks the place, as it is read aloud.
//   107000.53 -> 壹拾万柒仟元零伍角叁分 (not 壹拾万零柒仟元伍角叁分).
//   A run that skips a whole section, or goes on into the next section, does
//   get its 零: 100007000. -> 壹亿零柒仟元整, 100700. -> 壹拾万零柒佰元整.
// - A zero yuan digit before a nonzero 角 gets a 零 after 元:
//   1680.32 -> 壹仟陆佰捌拾元零叁角贰分 (not 壹仟陆佰捌拾元叁角贰分).
// - A zero 角 before a nonzero 分 gets a 零 after 元:
//   16409.02 -> 壹万陆仟肆佰零玖元零贰分, 325.04 -> 叁佰贰拾伍元零肆分.
// - Below one yuan only the 角 and 分 are written, with no 零元 and no 零
//   before them: 0.05 -> 伍分, 0.5 -> 伍角. Zero is 零元整.
//
// The input is a money text as FormatTwoDecimals writes it: an optional
// minus sign, the integer digits (no leading zero, a lone 0 below one yuan),
// a period, and up to two fraction digits ("1409.5" and "1409.50" alike).
// There are no capitals (nullopt) for an empty text, an exponent form
// ("1.5E+20"), any other text, and an amount whose magnitude is above
// kLargestAmountInCapitals.
//
//   "100."     -> 壹佰元整               "0."        -> 零元整
//   "10."      -> 壹拾元整               "-0."       -> 零元整 (zero has no sign)
//   "-12.35"   -> 负壹拾贰元叁角伍分     "1000000.01" -> 壹佰万元零壹分
//   "100000000."     -> 壹亿元整
//   "100010000."     -> 壹亿零壹万元整
//   "1000000000000." -> 壹万亿元整
//   "1000100000000." -> 壹万零壹亿元整
//   "999999999999999.99" -> 玖佰玖拾玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分
//   "1000000000000000." -> nullopt     "1E+15" -> nullopt     "" -> nullopt
//   "100" -> nullopt (no period)       "01." -> nullopt       "1.005" -> nullopt
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillbary {

// The largest magnitude that has capitals: every amount the money format
// writes in plain form (below 1E+15) has them.
inline constexpr std::string_view kLargestAmountInCapitals = "999999999999999.99";

// nullopt when the text gets no capitals (see above); otherwise the capitals.
std::optional<std::string> MoneyInCapitals(std::string_view moneyText);

}  // namespace quillbary
