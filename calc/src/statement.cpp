#include "quillbary/statement.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "interest_steps.h"
#include "quillbary/calendar.h"
#include "quillbary/money_capitals.h"
#include "quillbary/working.h"

namespace quillbary {
namespace {

constexpr std::string_view kNoCapitals = "（金额超出大写的范围，不写大写）";

// " 利息  合计" -> "利息合计"
std::string CaptionWithoutBlanks(std::string caption) {
  caption.erase(std::remove(caption.begin(), caption.end(), ' '), caption.end());
  return caption;
}

std::string_view WithoutBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A number text in plain decimal form: an optional minus, digits, and an
// optional period with digits after it ("10000.", "-.25"); not an exponent
// form.
bool IsPlainDecimal(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  bool digits = false;
  bool period = false;
  for (char c : text) {
    if (c == '.' && !period) {
      period = true;
    } else if (c >= '0' && c <= '9') {
      digits = true;
    } else {
      return false;
    }
  }
  return digits;
}

// The value a plain decimal text has, written with a zero before a bare
// period, thousands separators in the integer part and at least
// `minDecimals` decimals; only zeros are added, so the value stays the
// text's. Any other text (an exponent form) is returned as it is.
//   "10000." -> "10,000.00"   "-.25" -> "-0.25"   "1E+16" -> "1E+16"
std::string Grouped(std::string_view text, std::size_t minDecimals) {
  text = WithoutBlanks(text);
  if (!IsPlainDecimal(text)) return std::string(text);
  std::string sign;
  if (text.front() == '-') {
    sign = "-";
    text.remove_prefix(1);
  }
  const std::size_t period = text.find('.');
  std::string_view whole = text.substr(0, period);
  std::string fraction(period == std::string_view::npos ? "" : text.substr(period + 1));
  if (whole.empty()) whole = "0";
  std::string grouped;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
    grouped += whole[i];
  }
  if (fraction.size() < minDecimals) fraction.append(minDecimals - fraction.size(), '0');
  return sign + grouped + (fraction.empty() ? "" : "." + fraction);
}

// The shortest text that reads back to `value`: plain below 1E+15, as the
// fields write it, else an exponent form as the fields show one.
std::string ValueText(double value) {
  if (value == 0) value = 0;  // no "-0" for an amount typed as -0
  std::array<char, 400> buffer{};
  const bool huge = std::abs(value) >= 1e15;
  const auto end = huge ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                        std::chars_format::scientific)
                        : std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                        std::chars_format::fixed);
  std::string text(buffer.data(), end.ptr);
  std::replace(text.begin(), text.end(), 'e', 'E');
  return text;
}

std::string Money(std::string_view text) {
  return Grouped(text, 2) + " 元";
}

std::string Rate(std::string_view text) {
  return Grouped(text, 0) + "‰";
}

std::string Days(std::string_view text) {
  return std::string(WithoutBlanks(text)) + " 天";
}

}  // namespace

std::string TotalInCapitals(std::string_view total) {
  const std::optional<std::string> capitals = MoneyInCapitals(total);
  return capitals ? "人民币" + *capitals : std::string(kNoCapitals);
}

std::optional<Statement> MakeStatement(const FieldValues& f, std::string madeAt) {
  const std::optional<std::vector<WorkingLine>> working = Working(f);
  if (!working) return std::nullopt;

  // The amount and the rate as the calculation read them, whatever else the
  // clerk typed around the number.
  const steps::Interest normal = steps::NormalInterest(f);
  Statement s;
  s.figures = {
      {"借款日期", IsoDateText(f.jkrq)},
      {"到期日期", IsoDateText(f.dqrq)},
      {"还款日期", IsoDateText(f.hkrq)},
      {"起息日期", IsoDateText(f.qxrq)},
      {"还款金额", Money(ValueText(normal.amount))},
      {std::string(kMonthlyRateItem), Rate(ValueText(normal.rate))},
      {"还款方式", f.zjlx ? "只结利息" : "还本结息"},
      {"正常天数", Days(f.zcts)},
      {"正常利息", Money(f.zclx)},
      {"逾期天数", Days(f.yqts)},
      {"逾期利率", Rate(f.yqll)},
      {"逾期利息", Money(f.yqlx)},
      {CaptionWithoutBlanks(f.l1Caption), Money(f.hj)},
      {std::string(kCapitalsItem), TotalInCapitals(f.hj)},
  };
  for (const WorkingLine& line : *working) s.working.push_back(line.Text());
  s.madeAt = {"制表时间", std::move(madeAt)};
  s.signers = {"经办人", "复核"};
  return s;
}

std::string StatementText(const Statement& s) {
  std::string text(kStatementTitle);
  const auto add = [&text](std::string_view item, std::string_view value) {
    text += '\n';
    text += item;
    text += "：";
    text += value;
  };
  for (const StatementRow& row : s.figures) add(row.item, row.value);
  add(kWorkingItem, "");
  for (const std::string& line : s.working) text += "\n  " + line;
  add(s.madeAt.item, s.madeAt.value);
  for (std::size_t i = 0; i < s.signers.size(); ++i) {
    add(s.signers[i], i < s.signatures.size() ? s.signatures[i] : std::string());
  }
  return text + '\n';
}

}  // namespace quillbary
