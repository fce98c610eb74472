#include "form/controls/typed_date.h"

#include <QStringView>

namespace quillbary {
namespace {

constexpr std::array<int, 3> kWidths = {4, 2, 2};

int ValueOf(const QString& digits) {
  int value = 0;
  for (const QChar c : digits) value = value * 10 + c.digitValue();
  return value;
}

}  // namespace

TypedDate::TypedDate(QDate before, Section from) : before_(before), from_(from), section_(from) {}

bool TypedDate::IsSeparator(QChar c) {
  return QStringView(u"-/. 年月日－／．　").contains(c);
}

bool TypedDate::full(Section section) const {
  const QString& typed = digits_[section];
  if (typed.size() >= kWidths[section]) return true;
  if (typed.size() != 1) return false;
  // No month above 12 and no day above 31 starts with these.
  if (section == kMonth) return typed[0].digitValue() > 1;
  if (section == kDay) return typed[0].digitValue() > 3;
  return false;
}

bool TypedDate::type(QChar c) {
  if (!typeIntoSection(c)) return false;
  typed_ += c;
  if (from_ != kYear && startsAWholeDate()) {
    // Typed again from the year, as if the typing had begun there.
    const QString typed = typed_;
    *this = TypedDate(before_, kYear);
    for (const QChar t : typed) type(t);
  }
  return true;
}

bool TypedDate::startsAWholeDate() const {
  int digits = 0;
  while (digits < typed_.size() && typed_[digits].isDigit()) ++digits;
  return digits >= 5 || (digits == 4 && typed_.size() > 4 && IsSeparator(typed_[4]));
}

bool TypedDate::typeIntoSection(QChar c) {
  if (IsSeparator(c)) {
    if (!digits_[section_].isEmpty() && section_ != kDay) section_ = Section(section_ + 1);
    return true;
  }
  const int digit = c.digitValue();
  if (!c.isDigit() || digit < 0 || digit > 9) return false;
  if (full(section_)) digits_[section_].clear();  // a full day typed over
  digits_[section_] += QChar(u'0' + digit);
  if (full(section_) && section_ != kDay) section_ = Section(section_ + 1);
  return true;
}

bool TypedDate::backspace() {
  if (digits_[section_].isEmpty() && section_ != kYear && !digits_[section_ - 1].isEmpty()) {
    section_ = Section(section_ - 1);
  }
  if (digits_[section_].isEmpty()) return false;
  digits_[section_].chop(1);
  // The last digit taken goes, with the separators after it.
  while (!typed_.isEmpty() && !typed_.back().isDigit()) typed_.chop(1);
  typed_.chop(1);
  return true;
}

QDate TypedDate::date() const {
  const auto value = [this](Section section, int old) {
    return digits_[section].isEmpty() ? old : ValueOf(digits_[section]);
  };
  // QDate takes year 0 as invalid and would otherwise count years before 1
  // as BC; neither can be typed in four digits here.
  return QDate(value(kYear, before_.year()), value(kMonth, before_.month()),
               value(kDay, before_.day()));
}

QString TypedDate::shown(Section section) const {
  if (!digits_[section].isEmpty()) return digits_[section];
  const int old = section == kYear    ? before_.year()
                  : section == kMonth ? before_.month()
                                      : before_.day();
  return QStringLiteral("%1").arg(old, kWidths[section], 10, QChar(u'0'));
}

QString TypedDate::text() const {
  return shown(kYear) + u'-' + shown(kMonth) + u'-' + shown(kDay);
}

int TypedDate::sectionStart() const {
  int start = 0;
  for (int s = kYear; s < section_; ++s) start += int(shown(Section(s)).size()) + 1;
  return start;
}

int TypedDate::sectionLength() const {
  return int(shown(section_).size());
}

}  // namespace quillbary
