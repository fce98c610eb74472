// The face of everything the window shows outside its own fields: menus,
// tips and boxes.
#pragma once

#include <QFont>

namespace quillbary {

// A sans face with the simplified characters, at the window's 12 pixels.
// The window's fields keep their Song face for the layout's widths, and the
// printed page its own; a menu, a tip or a box reads better without serifs
// and must not inherit the Song face of the window it belongs to.
QFont SansFont();

}  // namespace quillbary
