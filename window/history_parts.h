// What the two history windows (this machine's and the branch's) are made
// of alike: the date range's pickers, the list of statements, and the row of
// buttons that act on the selected one.
#pragma once

#include <QAbstractItemModel>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <functional>
#include <initializer_list>

namespace quillbary {

// A picker of the date range: a calendar that drops down, ISO dates, off
// until the range is ticked, wide enough for a whole date.
inline QDateEdit* FilterDatePicker(QWidget* parent, const QDate& date) {
  auto* picker = new QDateEdit(date, parent);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  picker->setEnabled(false);
  picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-000")) +
                          30);
  return picker;
}

// The statements, a row each: one selected at a time, read-only, each row
// one line high, the last column taking what width is left.
inline QTableView* StatementList(QAbstractItemModel* model, QWidget* parent) {
  auto* table = new QTableView(parent);
  table->setModel(model);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  table->setWordWrap(false);
  return table;
}

// The buttons under the list, in the order given, then 关闭.
struct HistoryAction {
  const char* text;
  std::function<void()> clicked;
};
inline QDialogButtonBox* HistoryButtons(QDialog* window,
                                        std::initializer_list<HistoryAction> actions) {
  auto* buttons = new QDialogButtonBox(window);
  for (const HistoryAction& action : actions) {
    QPushButton* button =
        buttons->addButton(QString::fromUtf8(action.text), QDialogButtonBox::ActionRole);
    QObject::connect(button, &QPushButton::clicked, window, action.clicked);
  }
  QObject::connect(buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole),
                   &QPushButton::clicked, window, &QDialog::reject);
  return buttons;
}

}  // namespace quillbary
