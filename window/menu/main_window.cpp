#include "menu/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QLayout>
#include <QMenuBar>
#include <functional>
#include <vector>

#include "batch/batch_runner.h"
#include "form/form1.h"
#include "guidance/help_box.h"
#include "journal/journal_desk.h"
#include "menu/status_line.h"
#include "sans_font.h"
#include "statement/statement_menu.h"

namespace quillbary {
namespace {

// One menu of the bar: its title and its items, in order.
struct MenuColumn {
  QString title;
  std::vector<QAction*> items;
};

// A new item that runs `command`, owned by `owner`.
QAction* Command(QObject* owner, const QString& text, std::function<void()> command) {
  auto* action = new QAction(text, owner);
  QObject::connect(action, &QAction::triggered, owner, std::move(command));
  return action;
}

// The item that clicks the button `name` of the form, as a click on it does.
QAction* ButtonCommand(Form1* form, const QString& text, const char* name) {
  auto* action = new QAction(text, form);
  QObject::connect(action, &QAction::triggered, qobject_cast<QAbstractButton*>(form->control(name)),
                   &QAbstractButton::click);
  return action;
}

QAction* ActionNamed(const QList<QAction*>& actions, const QString& objectName) {
  for (QAction* action : actions) {
    if (action->objectName() == objectName) return action;
  }
  return nullptr;
}

}  // namespace

MainWindow::MainWindow(Form1* form, JournalDesk* desk)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form),
      desk_(desk),
      statusLine_(new StatusLine(this)) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(form->windowTitle());
  setCentralWidget(form);
  setStatusBar(statusLine_);
  buildMenus();
  connectConfirmations();
  // The client area keeps its fixed size; the window is exactly that with
  // the menu bar above and the status line below.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::buildMenus() {
  StatementMenu* statement = form_->statementMenu();
  const auto& handOn = statement->actions();
  // 退出 keeps its key, Ctrl+Q, which the form answers; the menu only names it.
  const std::vector<MenuColumn> columns = {
      {QStringLiteral("计算"),
       {ButtonCommand(form_, QStringLiteral("开始计算"), "Command1"),
        ButtonCommand(form_, QStringLiteral("清空"), "Command2"),
        ButtonCommand(form_, QStringLiteral("退出\tCtrl+Q"), "Command3")}},
      {QStringLiteral("计息单"), {handOn.begin(), handOn.end()}},
      {QStringLiteral("日志"),
       {desk_->historyAction(),
        Command(this, QStringLiteral("检查日志"), [this] { CheckJournal(this, desk_); })}},
      {QStringLiteral("批量"),
       {ActionNamed(statement->menu()->actions(), QStringLiteral("batchAction")),
        Command(this, QStringLiteral("写出模板…"), [this] { writeTemplate(); })}},
      {QStringLiteral("帮助"),
       {Command(this, QStringLiteral("使用说明"), [this] { ShowHelp(this); }),
        Command(this, QStringLiteral("关于"), [this] { ShowAbout(this); })}},
  };
  QMenuBar* bar = menuBar();
  bar->setFont(SansFont());
  bar->setAccessibleName(QStringLiteral("菜单栏"));
  for (const MenuColumn& column : columns) {
    QMenu* menu = bar->addMenu(column.title);
    menu->setFont(SansFont());
    for (QAction* item : column.items) menu->addAction(item);
  }
}

void MainWindow::connectConfirmations() {
  StatementMenu* statement = form_->statementMenu();
  connect(statement, &StatementMenu::copied, statusLine_, &StatusLine::showCopied);
  connect(statement, &StatementMenu::saved, statusLine_, &StatusLine::showSaved);
  connect(statement->batchRunner(), &BatchRunner::saved, statusLine_, &StatusLine::showSaved);
  connect(desk_, &JournalDesk::saved, statusLine_, &StatusLine::showSaved);
}

void MainWindow::writeTemplate() {
  const QString path = WriteTemplate(this, chooseTemplate_);
  if (!path.isEmpty()) statusLine_->showSaved(path);
}

}  // namespace quillbary
