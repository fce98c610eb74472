#include "form/light_palette.h"

#include <QColor>

namespace quillbary {
namespace {

struct RoleColours {
  QPalette::ColorRole role;
  QRgb enabled;  // active and inactive
  QRgb disabled;
};

// Qt's light Fusion colours, which the window has always been drawn in where
// the desktop sets none of its own, written out so that no theme, style or
// colour scheme can change them.
constexpr RoleColours kColours[] = {
    {QPalette::WindowText, 0xff000000, 0xffbebebe},
    {QPalette::Button, 0xffefefef, 0xffefefef},
    {QPalette::Light, 0xffffffff, 0xffffffff},
    {QPalette::Midlight, 0xffcacaca, 0xffcacaca},
    {QPalette::Dark, 0xff9f9f9f, 0xffbebebe},
    {QPalette::Mid, 0xffb8b8b8, 0xffb8b8b8},
    {QPalette::Text, 0xff000000, 0xffbebebe},
    {QPalette::BrightText, 0xffffffff, 0xffffffff},
    {QPalette::ButtonText, 0xff000000, 0xffbebebe},
    {QPalette::Base, 0xffffffff, 0xffefefef},
    {QPalette::Window, 0xffefefef, 0xffefefef},
    {QPalette::Shadow, 0xff767676, 0xffb1b1b1},
    {QPalette::Highlight, 0xff308cc6, 0xff919191},
    {QPalette::HighlightedText, 0xffffffff, 0xffffffff},
    {QPalette::Link, 0xff0000ff, 0xff0000ff},
    {QPalette::LinkVisited, 0xffff00ff, 0xffff00ff},
    {QPalette::AlternateBase, 0xfff7f7f7, 0xfff7f7f7},
    {QPalette::ToolTipBase, 0xffffffdc, 0xffffffdc},
    {QPalette::ToolTipText, 0xff000000, 0xff000000},
    {QPalette::PlaceholderText, 0x80000000, 0x80000000},
};

}  // namespace

QPalette LightPalette() {
  QPalette palette;
  for (const auto& [role, enabled, disabled] : kColours) {
    palette.setColor(QPalette::Active, role, QColor::fromRgba(enabled));
    palette.setColor(QPalette::Inactive, role, QColor::fromRgba(enabled));
    palette.setColor(QPalette::Disabled, role, QColor::fromRgba(disabled));
  }
  return palette;
}

}  // namespace quillbary
