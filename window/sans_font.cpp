#include "sans_font.h"

#include <QStringList>

namespace quillbary {

QFont SansFont() {
  QFont font;
  font.setFamilies({"Microsoft YaHei", "PingFang SC", "Noto Sans CJK SC", "Source Han Sans SC",
                    "WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Droid Sans Fallback",
                    "sans-serif"});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(12);
  return font;
}

}  // namespace quillbary
