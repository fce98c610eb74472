// The program's icon, set once the window's first paint is out.
#pragma once

#include <QString>

class QWidget;

namespace quillbary {

// Sets `iconPath` as the application's window icon as soon as `window` has
// painted for the first time. The icon belongs to the desktop (task bar,
// window list), not to the window's face, and reading it scans Qt's image
// and icon plugins: done before the first paint, that would hold the paint
// back. The window and every box it opens later carry the icon all the same.
void SetWindowIconAfterFirstPaint(QWidget* window, const QString& iconPath);

}  // namespace quillbary
