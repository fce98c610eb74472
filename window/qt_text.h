// Between the core's values and Qt's: the core's texts are UTF-8 and its
// dates are std::chrono calendar dates; Qt's texts are UTF-16 and its dates
// QDate. Paths go by UTF-8 too, never by std::filesystem's narrow strings,
// which are the ANSI code page on Windows.
#pragma once

#include <QDate>
#include <QString>
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillbary {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::filesystem::path PathOf(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline QString TextOf(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return QString::fromUtf8(reinterpret_cast<const char*>(text.data()),
                           static_cast<qsizetype>(text.size()));
}

inline QDate ToQDate(std::chrono::year_month_day date) {
  return QDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
               static_cast<int>(static_cast<unsigned>(date.day())));
}

inline std::chrono::year_month_day ToYearMonthDay(QDate date) {
  return std::chrono::year{date.year()} / date.month() / date.day();
}

}  // namespace quillbary
