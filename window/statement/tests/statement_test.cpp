// Handing the figures on: the working tips, the menu, the copy and the PDF,
// through the real window.
#include <sys/resource.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextTable>
#include <QToolBar>
#include <csignal>

#include "form/form1.h"
#include "form/tests/form_driver.h"
#include "statement/statement_menu.h"

namespace quillbary::testing {

namespace {
// Every figure of the worked example as the statement must show it.
const QStringList kFigures = {"2009-01-01", "2009-07-01",
                              "2009-09-30", "10000",
                              "5.31",       "只结利息",
                              "181",        "320.37",
                              "91",         "7.965",
                              "241.61",     "利息合计",
                              "561.98",     "人民币伍佰陆拾壹元玖角捌分"};

QStringList EnabledItems(Form1& form) {
  QStringList enabled;
  for (QAction* action : form.statementMenu()->menu()->actions()) {
    if (action->isEnabled()) enabled << action->text();
  }
  return enabled;
}

QString CellText(const QTextTableCell& cell) {
  QTextCursor cursor = cell.firstCursorPosition();
  cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
  return cursor.selectedText();
}

QTextTable* FirstTable(const QTextDocument& document) {
  for (QTextFrame* frame : document.rootFrame()->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) return table;
  }
  return nullptr;
}

QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30'000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}
}  // namespace

class StatementTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void itemsFollowTheFiguresOnScreen_data();
  void itemsFollowTheFiguresOnScreen();
  void resultFieldsExplainThemselves();
  void copyPutsTextAndTable();
  void pdfHoldsEveryFigureOnOnePage_data();
  void pdfHoldsEveryFigureOnOnePage();
  void pdfIntoAFolderThatCannotBeWrittenLeavesNoFile();
  void pdfNotSavedLeavesNoFile_data();
  void pdfNotSavedLeavesNoFile();
  void menuOpensOutsideTheInputs();
  void textFieldMenusCarryTheItems_data();
  void textFieldMenusCarryTheItems();
  void keysSayWhyTheItemsAreOff_data();
  void keysSayWhyTheItemsAreOff();
  void workingBoxShowsTheStatement();
  void printOpensAPreview();
};

void StatementTest::initTestCase() {
  // A saved PDF's folder is remembered in a settings file of the tests' own.
  QStandardPaths::setTestModeEnabled(true);
}

void StatementTest::itemsFollowTheFiguresOnScreen_data() {
  QTest::addColumn<QStringList>("steps");  // what the clerk does after entering the example
  QTest::addColumn<bool>("enabled");
  QTest::newRow("window never touched") << QStringList{"nothing typed"} << false;
  QTest::newRow("at start") << QStringList{} << false;
  QTest::newRow("after a total") << QStringList{"Command1"} << true;
  QTest::newRow("after clear") << QStringList{"Command1", "Command2"} << false;
  QTest::newRow("no method beside an old total")
      << QStringList{"Command1", "untick", "Command1"} << false;
  QTest::newRow("amount edited afterwards") << QStringList{"Command1", "amount"} << false;
  QTest::newRow("other method afterwards") << QStringList{"Command1", "hbjx"} << false;
  QTest::newRow("repayment date edited afterwards") << QStringList{"Command1", "date"} << false;
  QTest::newRow("calculated again") << QStringList{"Command1", "hbjx", "Command1"} << true;
  QTest::newRow("dates out of order") << QStringList{"loanAfterDue", "Command1"} << false;
  QTest::newRow("dates mended and calculated again")
      << QStringList{"loanAfterDue", "Command1", "loanInOrder", "Command1"} << true;
}

namespace {
// One step of the clerk's, as the tables of this file name them.
void Do(Form1& form, const QString& step) {
  if (step == "untick") {
    // Neither option chosen, as at start.
    for (const char* name : {"zjlx", "hbjx"}) {
      auto* option = qobject_cast<QAbstractButton*>(form.control(name));
      option->setAutoExclusive(false);
      option->setChecked(false);
      option->setAutoExclusive(true);
    }
  } else if (step == "amount") {
    TypeText(form, "hkje", QStringLiteral("20000"));
  } else if (step == "date") {
    TypeDate(form, "hkrq", QDate(2009, 10, 31));
  } else if (step == "nothing typed") {
    // the window as it opened
  } else if (step == "loanAfterDue" || step == "loanInOrder") {
    const QDate loan = step == "loanAfterDue" ? QDate(2009, 8, 1) : QDate(2009, 1, 1);
    qobject_cast<QDateEdit*>(form.control("jkrq"))->setDate(loan);
  } else {
    Click(form, step.toUtf8().constData());
  }
}
}  // namespace

void StatementTest::itemsFollowTheFiguresOnScreen() {
  Form1& form = shown();
  BoxCatcher catcher;
  QFETCH(QStringList, steps);
  QFETCH(bool, enabled);
  if (steps != QStringList{"nothing typed"}) Enter(form, WorkedExample());
  for (const QString& step : steps) Do(form, step);
  QCOMPARE(EnabledItems(form).size(), enabled ? 5 : 1);  // 批量计算… is always enabled
}

void StatementTest::resultFieldsExplainThemselves() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");
  const QString tip = form.control("zclx")->toolTip();
  QCOMPARE(tip, QStringLiteral("正常利息 = 10000 × 0.000177 × 181 = 320.37"));
  QCOMPARE(form.control("zclx")->accessibleDescription(), tip);
  QCOMPARE(form.control("yqts")->toolTip(),
           QStringLiteral("逾期天数 = 2009-07-01 至 2009-09-30 = 91 天"));
  const QString total = form.control("hj")->toolTip();
  QVERIFY2(
      total.endsWith(QStringLiteral(
          "利息合计 = 320.37 + 241.605 = 561.975 ≈ 561.98\n合计大写：人民币伍佰陆拾壹元玖角捌分")),
      qPrintable(total));
  Click(form, "Command2");
  QVERIFY(form.control("hj")->toolTip().isEmpty());
}

void StatementTest::copyPutsTextAndTable() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  const QMimeData* data = QApplication::clipboard()->mimeData();
  const QStringList lines = data->text().split('\n', Qt::SkipEmptyParts);
  QCOMPARE(lines.first(), QStringLiteral("还款利息计算单"));
  // Every line an item and its value, but the working's, indented under
  // their one heading.
  for (const QString& line : lines.mid(1)) {
    QVERIFY2(line.contains(QStringLiteral("：")) || line.startsWith(QStringLiteral("  ")),
             qPrintable(line));
  }
  QCOMPARE(lines.count(QStringLiteral("计算过程：")), 1);
  QVERIFY(lines.contains(QStringLiteral("利息合计：561.98 元")));
  QVERIFY(lines.contains(QStringLiteral("合计大写：人民币伍佰陆拾壹元玖角捌分")));
  QVERIFY(lines.contains(QStringLiteral("制表时间：2009-03-01 09:05:07")));
  QVERIFY(data->html().contains(QStringLiteral("<td>561.98 元</td>")));

  // The table's shape: one 计算过程 cell beside every working line, each line
  // in the value column, as a pasted or printed table shows them.
  QStringList working = form.control("hj")->toolTip().split('\n');
  working.removeLast();  // 合计大写
  QTextDocument document;
  document.setHtml(data->html());
  QTextTable* table = FirstTable(document);
  QVERIFY(table != nullptr);
  QCOMPARE(table->columns(), 2);
  int first = -1;
  for (int row = 0; row < table->rows() && first < 0; ++row) {
    if (CellText(table->cellAt(row, 0)) == QStringLiteral("计算过程")) first = row;
  }
  QVERIFY(first >= 0);
  QCOMPARE(table->cellAt(first, 0).rowSpan(), working.size());
  for (int i = 0; i < working.size(); ++i) {
    QCOMPARE(CellText(table->cellAt(first + i, 1)), working[i]);
  }
  QCOMPARE(CellText(table->cellAt(first + working.size(), 0)), QStringLiteral("制表时间"));
}

void StatementTest::pdfHoldsEveryFigureOnOnePage_data() {
  QTest::addColumn<QString>("amount");
  QTest::newRow("worked example") << QStringLiteral("10000");
  // Read as 10000 all the same (blanks and the zeros of the fraction are
  // nothing); its text fills many lines of the page.
  QTest::newRow("amount text running past the page")
      << QStringLiteral("10000.") + QStringLiteral("0 ").repeated(1500);
}

void StatementTest::pdfHoldsEveryFigureOnOnePage() {
  Form1& form = shown();
  BoxCatcher catcher;
  QFETCH(QString, amount);
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("计息单.pdf"));
  QString suggested;
  form.statementMenu()->setPathChooser([&](QWidget*, const QString& offered) {
    suggested = offered;
    return path;
  });
  Enter(form, WorkedExample());
  qobject_cast<QLineEdit*>(form.control("hkje"))->setText(amount);  // as if pasted
  Click(form, "Command1");
  QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);

  QVERIFY(suggested.endsWith(QStringLiteral("/计息单-20090301-090507.pdf")));
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
  QVERIFY(Run("pdfinfo", {path}).contains(QRegularExpression("Pages:\\s+1\\n")));
  const QString text = Run("pdftotext", {"-layout", path, "-"});
  for (const QString& figure : kFigures) QVERIFY2(text.contains(figure), qPrintable(figure));
}

void StatementTest::pdfIntoAFolderThatCannotBeWrittenLeavesNoFile() {
  Form1& form = shown();
  BoxCatcher catcher;
  // A file where the folder should be: no one, root included, can write there.
  QTemporaryDir folder;
  QFile notAFolder(folder.filePath("plain-file"));
  QVERIFY(notAFolder.open(QIODevice::WriteOnly));
  notAFolder.close();
  const QString path = notAFolder.fileName() + "/计息单.pdf";
  form.statementMenu()->setPathChooser([&](QWidget*, const QString&) { return path; });
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);

  QCOMPARE(catcher.caught.size(), 1);
  QCOMPARE(catcher.caught.first().title, QStringLiteral("导出 PDF 失败"));
  QCOMPARE(catcher.caught.first().icon, QMessageBox::Critical);
  QVERIFY(!QFile::exists(path));
  QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"plain-file"});
  QCOMPARE(Text(form, "hj"), QStringLiteral("561.98"));
}

void StatementTest::pdfNotSavedLeavesNoFile_data() {
  QTest::addColumn<bool>("cancelled");  // else the disk fills up once the file is open
  QTest::addColumn<bool>("failureShown");
  QTest::newRow("cancelled in the dialog shows no box") << true << false;
  QTest::newRow("writes failing after the file opened show the failure") << false << true;
}

void StatementTest::pdfNotSavedLeavesNoFile() {
  QFETCH(bool, cancelled);
  QFETCH(bool, failureShown);
  Form1& form = shown();
  BoxCatcher catcher;
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("计息单.pdf"));
  form.statementMenu()->setPathChooser(
      [&](QWidget*, const QString&) { return cancelled ? QString() : path; });
  Enter(form, WorkedExample());
  Click(form, "Command1");

  // A full disk: files may grow to 1 kB only, and a write past that fails
  // (rather than ending the program) while the folder stays writable.
  rlimit limit{};
  QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
  const rlimit unlimited = limit;
  const auto restore = qScopeGuard([&unlimited] {
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, SIG_DFL);
  });
  if (!cancelled) {
    std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = 1024;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
  }
  QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);

  QCOMPARE(catcher.caught.size(), failureShown ? 1 : 0);
  if (failureShown) {
    QCOMPARE(catcher.caught.first().title, QStringLiteral("导出 PDF 失败"));
    QCOMPARE(catcher.caught.first().icon, QMessageBox::Critical);
    QVERIFY2(catcher.caught.first().text.contains(path), qPrintable(catcher.caught.first().text));
  }
  QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{});
  QCOMPARE(Text(form, "hj"), QStringLiteral("561.98"));
}

void StatementTest::menuOpensOutsideTheInputs() {
  Form1& form = shown();
  QMenu* menu = form.statementMenu()->menu();
  QWidget* label = form.control("Label4");
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, label->rect().center(),
                               label->mapToGlobal(label->rect().center()));
  QApplication::sendEvent(label, &rightClick);
  QTRY_VERIFY(menu->isVisible());
  QCOMPARE(menu->actions().size(), 5);  // with 批量计算…
  menu->close();

  // The Menu key on a focused button, as the desktop delivers it.
  QWidget* button = form.control("Command1");
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, button->rect().center(),
                            button->mapToGlobal(button->rect().center()));
  QApplication::sendEvent(button, &menuKey);
  QTRY_VERIFY(menu->isVisible());
  menu->close();
}

void StatementTest::textFieldMenusCarryTheItems_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<bool>("menuKey");  // else a right-click
  QTest::newRow("right-click on a result") << "zclx" << false;
  QTest::newRow("Menu key in the total") << "hj" << true;
  QTest::newRow("right-click on an input") << "hkje" << false;
}

void StatementTest::textFieldMenusCarryTheItems() {
  QFETCH(QString, field);
  QFETCH(bool, menuKey);
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QWidget* target = form.control(field.toStdString());
  target->setFocus();
  QContextMenuEvent event(menuKey ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse,
                          target->rect().center(), target->mapToGlobal(target->rect().center()));
  QApplication::sendEvent(target, &event);
  QMenu* menu = nullptr;
  QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
  const QList<QAction*> offered = menu->actions();
  menu->close();
  QVERIFY(menu != form.statementMenu()->menu());
  // The field's own items first, then the statement's, enabled as they are.
  const QList<QAction*> items = form.statementMenu()->menu()->actions();
  QVERIFY(offered.size() > items.size() + 1);
  QCOMPARE(offered.mid(offered.size() - items.size()), items);
  QCOMPARE(EnabledItems(form).size(), 5);  // with 批量计算…
}

void StatementTest::keysSayWhyTheItemsAreOff_data() {
  QTest::addColumn<QStringList>("steps");  // after entering the example
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("says");  // what the box's text holds

  const int f1 = Qt::Key_F1;
  const int print = (Qt::CTRL | Qt::Key_P).toCombined();
  const int pdf = (Qt::CTRL | Qt::Key_S).toCombined();
  const int copy = (Qt::CTRL | Qt::SHIFT | Qt::Key_C).toCombined();
  const QString calculateFirst = QStringLiteral("请先开始计算。");
  const QString datesOff = QStringLiteral(
      "日期顺序有误（到款日期不能小于借款日期！），这次的结果不出计息单。请改正日期后重新计算。");
  QTest::newRow("F1 before any calculation opens the help")
      << QStringList{} << f1 << "帮助"
      << "每月按 30 天计，逾期利率为月利率的 1.5 倍";
  QTest::newRow("print before any calculation")
      << QStringList{} << print << "提示" << calculateFirst;
  QTest::newRow("copy after dates out of order, then clear")
      << QStringList{"loanAfterDue", "Command1", "Command2"} << copy << "提示" << calculateFirst;
  QTest::newRow("PDF after dates out of order")
      << QStringList{"loanAfterDue", "Command1"} << pdf << "提示" << datesOff;
  QTest::newRow("F1 after dates out of order")
      << QStringList{"loanAfterDue", "Command1"} << f1 << "提示" << datesOff;
  QTest::newRow("print after no method")
      << QStringList{"untick", "Command1"} << print << "提示"
      << "没有选择还款方式，这次没有合计。请选择还款方式后重新计算。";
}

void StatementTest::keysSayWhyTheItemsAreOff() {
  QFETCH(QStringList, steps);
  QFETCH(int, key);
  QFETCH(QString, title);
  QFETCH(QString, says);
  Form1& form = shown();
  Enter(form, WorkedExample());
  {
    BoxCatcher warnings;  // the run's own warnings
    for (const QString& step : steps) Do(form, step);
  }
  form.activateWindow();  // as it is again once the clerk has closed the run's warning
  QVERIFY(QTest::qWaitForWindowActive(&form));
  BoxCatcher catcher;
  const QKeyCombination pressed = QKeyCombination::fromCombined(key);
  QTest::keyClick(&form, pressed.key(), pressed.keyboardModifiers());
  QCOMPARE(catcher.caught.size(), 1);
  QCOMPARE(catcher.caught.first().title, title);
  QVERIFY2(catcher.caught.first().text.contains(says), qPrintable(catcher.caught.first().text));
  QCOMPARE(catcher.caught.first().buttons, QStringList{"确定"});
}

void StatementTest::workingBoxShowsTheStatement() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QString working;
  QTimer::singleShot(50, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    working = box->findChild<QPlainTextEdit*>()->toPlainText();
    box->reject();
  });
  QTest::keyClick(&form, Qt::Key_F1);
  QVERIFY(
      working.contains(QStringLiteral("逾期利息 = 91 × (10000 × 0.0002655) = 241.605 ≈ 241.61")));
}

void StatementTest::printOpensAPreview() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");

  bool previewed = false;
  QStringList folded;  // toolbar buttons not shown
  QTimer poll;
  connect(&poll, &QTimer::timeout, [&] {
    if (auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
      previewed = true;
      auto* toolbar = preview->findChild<QToolBar*>();
      for (QAction* action : toolbar->actions()) {
        QWidget* button = toolbar->widgetForAction(action);
        if (!action->isSeparator() && (button == nullptr || !button->isVisible())) {
          folded << action->text();
        }
      }
      preview->reject();
    }
  });
  poll.start(20);
  QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
  QVERIFY(previewed);
  QCOMPARE(folded, QStringList{});
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::StatementTest)
#include "statement_test.moc"
