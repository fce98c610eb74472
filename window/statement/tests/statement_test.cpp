// Handing the figures on: the working tips, the menu, the copy and the PDF,
// through the real window.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "form/form1.h"
#include "form/tests/form_driver.h"
#include "statement/statement_menu.h"

namespace quillbary::testing {

namespace {
// Every figure of the worked example as the statement must show it.
const QStringList kFigures = {"2009-01-01", "2009-07-01", "2009-09-30", "10000", "5.31",
                              "只结利息",   "181",        "320.37",     "91",    "7.965",
                              "241.61",     "利息合计",   "561.98",     "人民币伍佰陆拾壹元玖角捌分"};

QStringList EnabledItems(Form1& form) {
  QStringList enabled;
  for (QAction* action : form.statementMenu()->menu()->actions()) {
    if (action->isEnabled()) enabled << action->text();
  }
  return enabled;
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
  void itemsFollowTheFiguresOnScreen_data();
  void itemsFollowTheFiguresOnScreen();
  void resultFieldsExplainThemselves();
  void copyPutsTextAndTable();
  void pdfHoldsEveryFigureOnOnePage_data();
  void pdfHoldsEveryFigureOnOnePage();
  void pdfIntoAFolderThatCannotBeWrittenLeavesNoFile();
  void menuOpensOutsideTheInputs();
  void workingBoxShowsTheStatement();
  void printOpensAPreview();
};

void StatementTest::itemsFollowTheFiguresOnScreen_data() {
  QTest::addColumn<QStringList>("steps");  // what the clerk does after entering the example
  QTest::addColumn<bool>("enabled");
  QTest::newRow("at start") << QStringList{} << false;
  QTest::newRow("after a total") << QStringList{"Command1"} << true;
  QTest::newRow("after clear") << QStringList{"Command1", "Command2"} << false;
  QTest::newRow("no method beside an old total")
      << QStringList{"Command1", "untick", "Command1"} << false;
  QTest::newRow("amount edited afterwards") << QStringList{"Command1", "amount"} << false;
  QTest::newRow("other method afterwards") << QStringList{"Command1", "hbjx"} << false;
  QTest::newRow("calculated again") << QStringList{"Command1", "hbjx", "Command1"} << true;
}

void StatementTest::itemsFollowTheFiguresOnScreen() {
  Form1& form = shown();
  BoxCatcher catcher;
  QFETCH(QStringList, steps);
  QFETCH(bool, enabled);
  Enter(form, WorkedExample());
  for (const QString& step : steps) {
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
    } else {
      Click(form, step.toUtf8().constData());
    }
  }
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
  QVERIFY2(total.endsWith(QStringLiteral(
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
  for (const QString& line : lines.mid(1)) QVERIFY2(line.contains(QStringLiteral("：")), qPrintable(line));
  QVERIFY(lines.contains(QStringLiteral("利息合计：561.98")));
  QVERIFY(lines.contains(QStringLiteral("合计大写：人民币伍佰陆拾壹元玖角捌分")));
  QVERIFY(lines.contains(QStringLiteral("制表时间：2009-03-01 09:05:07")));
  QVERIFY(data->html().contains(QStringLiteral("<td>561.98</td>")));
}

void StatementTest::pdfHoldsEveryFigureOnOnePage_data() {
  QTest::addColumn<QString>("amount");
  QTest::newRow("worked example") << QStringLiteral("10000");
  // Read as 10000 all the same; its text fills many lines of the page.
  QTest::newRow("amount text running past the page")
      << QStringLiteral("10000") + QString(3000, QChar(u'元'));
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
  QVERIFY(working.contains(QStringLiteral("逾期利息 = 91 × (10000 × 0.0002655) = 241.605 ≈ 241.61")));
}

void StatementTest::printOpensAPreview() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");

  bool previewed = false;
  QTimer poll;
  connect(&poll, &QTimer::timeout, [&] {
    if (auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
      previewed = true;
      preview->reject();
    }
  });
  poll.start(20);
  QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
  QVERIFY(previewed);
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::StatementTest)
#include "statement_test.moc"
