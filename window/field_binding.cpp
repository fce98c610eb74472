#include "field_binding.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <string_view>

#include "form1.h"
#include "qt_text.h"

namespace quillbary {
namespace {

template <class Member>
struct Binding {
  std::string_view control;
  Member FieldValues::*value;
};

constexpr Binding<std::string> kTexts[] = {
    {"hkje", &FieldValues::hkje}, {"ll", &FieldValues::ll},     {"zcts", &FieldValues::zcts},
    {"zclx", &FieldValues::zclx}, {"yqts", &FieldValues::yqts}, {"yqll", &FieldValues::yqll},
    {"yqlx", &FieldValues::yqlx}, {"hj", &FieldValues::hj},
};
constexpr Binding<std::chrono::year_month_day> kDates[] = {
    {"jkrq", &FieldValues::jkrq},
    {"dqrq", &FieldValues::dqrq},
    {"hkrq", &FieldValues::hkrq},
    {"qxrq", &FieldValues::qxrq},
};
constexpr Binding<bool> kMethods[] = {{"zjlx", &FieldValues::zjlx}, {"hbjx", &FieldValues::hbjx}};
constexpr Binding<bool> kShown[] = {
    {"l1", &FieldValues::l1Visible},
    {"l2", &FieldValues::l2Visible},
    {"hj", &FieldValues::hjVisible},
};
constexpr std::string_view kTotalCaption = "l1";

template <class Widget>
Widget* Find(const Form1& form, std::string_view name) {
  return qobject_cast<Widget*>(form.control(name));
}

std::chrono::year_month_day ToYearMonthDay(QDate date) {
  return std::chrono::year{date.year()} / date.month() / date.day();
}

}  // namespace

FieldValues ReadFields(const Form1& form) {
  FieldValues fields;
  for (const auto& [name, value] : kTexts)
    fields.*value = Find<QLineEdit>(form, name)->text().toStdString();
  for (const auto& [name, value] : kDates)
    fields.*value = ToYearMonthDay(Find<QDateEdit>(form, name)->date());
  for (const auto& [name, value] : kMethods)
    fields.*value = Find<QRadioButton>(form, name)->isChecked();
  for (const auto& [name, value] : kShown) fields.*value = !form.control(name)->isHidden();
  fields.l1Caption = Find<QLabel>(form, kTotalCaption)->text().toStdString();
  return fields;
}

void WriteFields(const FieldValues& fields, Form1& form) {
  for (const auto& [name, value] : kTexts) {
    QLineEdit* edit = Find<QLineEdit>(form, name);
    const QString text = ToQString(fields.*value);
    if (edit->text() != text) edit->setText(text);
  }
  QLabel* caption = Find<QLabel>(form, kTotalCaption);
  if (const QString text = ToQString(fields.l1Caption); caption->text() != text) {
    caption->setText(text);
  }
  for (const auto& [name, value] : kShown) form.control(name)->setHidden(!(fields.*value));
}

}  // namespace quillbary
