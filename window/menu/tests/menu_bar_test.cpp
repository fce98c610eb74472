// The program's window: every command found in the menu bar, the client area
// where it was, and copying and saving told on the status line.
#include <QAbstractButton>
#include <QApplication>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/app_setup.h"
#include "form/tests/form_driver.h"
#include "journal/history_window.h"
#include "journal/journal_desk.h"
#include "menu/main_window.h"
#include "menu/status_line.h"

namespace quillbary::testing {
namespace {

QMenu* MenuTitled(QMenuBar* bar, const QString& title) {
  for (QAction* action : bar->actions()) {
    if (action->text() == title) return action->menu();
  }
  return nullptr;
}

// An item's text without the key shown after a tab.
QString ItemText(const QAction* action) {
  return action->text().section(u'\t', 0, 0);
}

}  // namespace

class MenuBarTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(SetUpApplication()); }
  void init();
  void cleanup();
  void menusHoldEveryCommand_data();
  void menusHoldEveryCommand();
  void clientAreaKeepsItsPlaceAndSize();
  void copyAndSaveConfirmOnTheStatusLine();
  void historyControlsAreNamed();

 private:
  QTemporaryDir folder_;
  std::unique_ptr<MainWindow> window_;
  JournalDesk* desk_ = nullptr;
};

void MenuBarTest::init() {
  auto* form = new Form1(FixedClock());
  desk_ = new JournalDesk(form, form->statementMenu(),
                          {folder_.filePath("journal.sqlite3").toStdString()}, "1.00");
  window_ = std::make_unique<MainWindow>(form, desk_);
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void MenuBarTest::cleanup() {
  window_.reset();
}

void MenuBarTest::menusHoldEveryCommand_data() {
  QTest::addColumn<QStringList>("items");
  QTest::newRow("计算") << QStringList{"开始计算", "清空", "退出"};
  QTest::newRow("计息单") << QStringList{"计算过程…", "复制计算结果", "打印计息单…", "导出 PDF…"};
  QTest::newRow("日志") << QStringList{"历史记录…", "检查日志"};
  QTest::newRow("批量") << QStringList{"批量计算…", "写出模板…"};
  QTest::newRow("帮助") << QStringList{"使用说明", "关于"};
}

void MenuBarTest::menusHoldEveryCommand() {
  QFETCH(QStringList, items);
  QMenu* menu = MenuTitled(window_->menuBar(), QString::fromUtf8(QTest::currentDataTag()));
  QVERIFY(menu != nullptr);
  QStringList shown;
  for (const QAction* action : menu->actions()) shown << ItemText(action);
  QCOMPARE(shown, items);
}

void MenuBarTest::clientAreaKeepsItsPlaceAndSize() {
  Form1* form = window_->form();
  QCOMPARE(window_->centralWidget(), form);
  QCOMPARE(form->size(), QSize(452, 220));
  const int menuBottom = window_->menuBar()->geometry().bottom() + 1;
  QCOMPARE(form->geometry().topLeft(), QPoint(0, menuBottom));
  QCOMPARE(window_->size(), QSize(452, menuBottom + 220 + StatusLine::kHeight));
  QCOMPARE(window_->statusLine()->geometry().top(), menuBottom + 220);
  // A control stays where it was in the client area: 退出 at (376, 176).
  QCOMPARE(form->control("Command3")->geometry(), QRect(376, 176, 65, 33));

  // 开始计算 in the menu is the button's own command.
  Enter(*form, WorkedExample());
  MenuTitled(window_->menuBar(), QStringLiteral("计算"))->actions().first()->trigger();
  QCOMPARE(Text(*form, "hj"), QStringLiteral("561.98"));
}

void MenuBarTest::copyAndSaveConfirmOnTheStatusLine() {
  Form1* form = window_->form();
  BoxCatcher catcher;
  const QString pdf = folder_.filePath("计息单.pdf");
  form->statementMenu()->setPathChooser([&](QWidget*, const QString&) { return pdf; });
  Enter(*form, WorkedExample());
  Click(*form, "Command1");
  StatusLine* line = window_->statusLine();

  QTest::keyClick(form, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(line->currentMessage(), QStringLiteral("已复制"));
  QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(line->currentMessage(), QStringLiteral("已保存到 ") + QDir::toNativeSeparators(pdf));
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
}

void MenuBarTest::historyControlsAreNamed() {
  BoxCatcher catcher;
  desk_->historyAction()->trigger();
  HistoryWindow* history = desk_->history();
  QVERIFY(history != nullptr);
  // Every control a clerk can reach is named: by its own text (a check box,
  // a button) or by its accessible name.
  int named = 0;
  for (QWidget* control : history->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (control->focusPolicy() == Qt::NoFocus) continue;  // the labels, the button box
    const auto* button = qobject_cast<QAbstractButton*>(control);
    const QString name = button ? button->text() : control->accessibleName();
    QVERIFY2(!name.isEmpty(), control->metaObject()->className());
    ++named;
  }
  QCOMPARE(named, 6);  // the text, the range's check box and dates, the status, the table
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::MenuBarTest)
#include "menu_bar_test.moc"
