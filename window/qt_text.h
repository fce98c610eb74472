// The core's texts are UTF-8; Qt's are UTF-16.
#pragma once

#include <QString>
#include <string_view>

namespace quillbary {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace quillbary
