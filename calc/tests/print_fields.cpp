#include "print_fields.h"

#include <iomanip>
#include <utility>

namespace quillbary {
namespace {

void PrintDate(std::ostream& out, std::chrono::year_month_day date) {
  const char fill = out.fill('0');
  out << std::setw(4) << static_cast<int>(date.year()) << '-' << std::setw(2)
      << static_cast<unsigned>(date.month()) << '-' << std::setw(2)
      << static_cast<unsigned>(date.day());
  out.fill(fill);
}

}  // namespace

void PrintTo(const FieldValues& f, std::ostream* out) {
  *out << '{';
  const std::pair<const char*, std::chrono::year_month_day> dates[] = {
      {"jkrq", f.jkrq}, {"dqrq", f.dqrq}, {"hkrq", f.hkrq}, {"qxrq", f.qxrq}};
  for (const auto& [name, date] : dates) {
    *out << name << ' ';
    PrintDate(*out, date);
    *out << ", ";
  }
  const std::pair<const char*, const std::string*> texts[] = {
      {"hkje", &f.hkje}, {"ll", &f.ll},     {"zcts", &f.zcts},
      {"zclx", &f.zclx}, {"yqts", &f.yqts}, {"yqll", &f.yqll},
      {"yqlx", &f.yqlx}, {"hj", &f.hj},     {"l1Caption", &f.l1Caption}};
  for (const auto& [name, text] : texts) *out << name << " \"" << *text << "\", ";
  *out << "zjlx " << f.zjlx << ", hbjx " << f.hbjx << ", l1Visible " << f.l1Visible
       << ", l2Visible " << f.l2Visible << ", hjVisible " << f.hjVisible << '}';
}

}  // namespace quillbary
