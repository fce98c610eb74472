#include "guidance/field_menus.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace quillbary {

void AppendToContextMenus(std::span<QLineEdit* const> fields, const QList<QAction*>& items) {
  for (QLineEdit* field : fields) {
    field->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(field, &QWidget::customContextMenuRequested, field,
                     [field, items](const QPoint& at) {
                       QMenu* menu = field->createStandardContextMenu();
                       menu->setAttribute(Qt::WA_DeleteOnClose);
                       menu->addSeparator();
                       menu->addActions(items);
                       menu->popup(field->mapToGlobal(at));
                     });
  }
}

}  // namespace quillbary
