// The text fields' own right-click menu (copy, select all ...) with the
// window's items for handing the figures on below it, so that a clerk who
// right-clicks a result, or presses the Menu key in it, finds them there too.
#pragma once

#include <QList>
#include <span>

class QAction;
class QLineEdit;

namespace quillbary {

// From now on each of `fields` opens its standard context menu followed by a
// separator and `items` (the same actions, enabled as they are).
void AppendToContextMenus(std::span<QLineEdit* const> fields, const QList<QAction*>& items);

}  // namespace quillbary
