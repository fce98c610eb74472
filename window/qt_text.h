// Between the core's values and Qt's: the core's texts are UTF-8 and its
// dates are std::chrono calendar dates; Qt's texts are UTF-16 and its dates
// QDate.
#pragma once

#include <QDate>
#include <QString>
#include <chrono>
#include <string_view>

namespace quillbary {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QDate ToQDate(std::chrono::year_month_day date) {
  return QDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
               static_cast<int>(static_cast<unsigned>(date.day())));
}

inline std::chrono::year_month_day ToYearMonthDay(QDate date) {
  return std::chrono::year{date.year()} / date.month() / date.day();
}

}  // namespace quillbary
