#include "plain_figure.h"

#include <algorithm>

namespace quillbary::journal {

bool IsPlainDecimal(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const auto digits = [](std::string_view part) {
    return !part.empty() &&
           std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  const std::size_t period = text.find('.');
  if (period == std::string_view::npos) return digits(text);
  return digits(text.substr(0, period)) && digits(text.substr(period + 1));
}

std::string PlainFigure(std::string_view shown) {
  std::string_view number = shown;
  for (std::string_view unit : {" 元", "‰", " 天"}) {
    if (number.ends_with(unit)) {
      number.remove_suffix(unit.size());
      break;
    }
  }
  std::string plain;
  std::copy_if(number.begin(), number.end(), std::back_inserter(plain),
               [](char c) { return c != ','; });
  return IsPlainDecimal(plain) ? plain : std::string(shown);
}

}  // namespace quillbary::journal
