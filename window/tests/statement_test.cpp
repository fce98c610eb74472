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

#include "form1.h"
#include "form_driver.h"
#include "statement_menu.h"

namespace quillbary::testing {

namespace {
const Inputs kWorkedExample{QDate(2009, 1, 1),  QDate(2009, 7, 1),      QDate(2009, 9, 30),
                            QDate(2009, 1, 1),  QStringLiteral("10000"), QStringLiteral("5.31"),
                            "zjlx"};

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

class StatementTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
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

 private:
  std::unique_ptr<Form1> form_;
  std::unique_ptr<BoxCatcher> catcher_;
};

void StatementTest::init() {
  form_ = std::make_unique<Form1>(FixedClock());
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  catcher_ = std::make_unique<BoxCatcher>();
}

void StatementTest::cleanup() {
  catcher_.reset();
  form_.reset();
}

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
  QFETCH(QStringList, steps);
  QFETCH(bool, enabled);
  Enter(*form_, kWorkedExample);
  for (const QString& step : steps) {
    if (step == "untick") {
      // Neither option chosen, as at start.
      for (const char* name : {"zjlx", "hbjx"}) {
        auto* option = qobject_cast<QAbstractButton*>(form_->control(name));
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
      }
    } else if (step == "amount") {
      TypeText(*form_, "hkje", QStringLiteral("20000"));
    } else {
      Click(*form_, step.toUtf8().constData());
    }
  }
  QCOMPARE(EnabledItems(*form_).size(), enabled ? 4 : 0);
}

void StatementTest::resultFieldsExplainThemselves() {
  Enter(*form_, kWorkedExample);
  Click(*form_, "Command1");
  const QString tip = form_->control("zclx")->toolTip();
  QCOMPARE(tip, QStringLiteral("正常利息 = 10000 × 0.000177 × 181 = 320.37"));
  QCOMPARE(form_->control("zclx")->accessibleDescription(), tip);
  QCOMPARE(form_->control("yqts")->toolTip(),
           QStringLiteral("逾期天数 = 2009-07-01 至 2009-09-30 = 91 天"));
  const QString total = form_->control("hj")->toolTip();
  QVERIFY2(total.endsWith(QStringLiteral(
               "利息合计 = 320.37 + 241.605 = 561.975 ≈ 561.98\n合计大写：人民币伍佰陆拾壹元玖角捌分")),
           qPrintable(total));
  Click(*form_, "Command2");
  QVERIFY(form_->control("hj")->toolTip().isEmpty());
}

void StatementTest::copyPutsTextAndTable() {
  Enter(*form_, kWorkedExample);
  Click(*form_, "Command1");
  QTest::keyClick(form_.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
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
  QFETCH(QString, amount);
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("计息单.pdf"));
  QString suggested;
  form_->statementMenu()->setPathChooser([&](QWidget*, const QString& offered) {
    suggested = offered;
    return path;
  });
  Enter(*form_, kWorkedExample);
  qobject_cast<QLineEdit*>(form_->control("hkje"))->setText(amount);  // as if pasted
  Click(*form_, "Command1");
  QTest::keyClick(form_.get(), Qt::Key_S, Qt::ControlModifier);

  QVERIFY(suggested.endsWith(QStringLiteral("/计息单-20090301-090507.pdf")));
  QCOMPARE(catcher_->caught, QList<CaughtBox>{});
  QVERIFY(Run("pdfinfo", {path}).contains(QRegularExpression("Pages:\\s+1\\n")));
  const QString text = Run("pdftotext", {"-layout", path, "-"});
  for (const QString& figure : kFigures) QVERIFY2(text.contains(figure), qPrintable(figure));
}

void StatementTest::pdfIntoAFolderThatCannotBeWrittenLeavesNoFile() {
  // A file where the folder should be: no one, root included, can write there.
  QTemporaryDir folder;
  QFile notAFolder(folder.filePath("plain-file"));
  QVERIFY(notAFolder.open(QIODevice::WriteOnly));
  notAFolder.close();
  const QString path = notAFolder.fileName() + "/计息单.pdf";
  form_->statementMenu()->setPathChooser([&](QWidget*, const QString&) { return path; });
  Enter(*form_, kWorkedExample);
  Click(*form_, "Command1");
  QTest::keyClick(form_.get(), Qt::Key_S, Qt::ControlModifier);

  QCOMPARE(catcher_->caught.size(), 1);
  QCOMPARE(catcher_->caught.first().title, QStringLiteral("导出 PDF 失败"));
  QCOMPARE(catcher_->caught.first().icon, QMessageBox::Critical);
  QVERIFY(!QFile::exists(path));
  QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"plain-file"});
  QCOMPARE(Text(*form_, "hj"), QStringLiteral("561.98"));
}

void StatementTest::menuOpensOutsideTheInputs() {
  QMenu* menu = form_->statementMenu()->menu();
  QWidget* label = form_->control("Label4");
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, label->rect().center(),
                               label->mapToGlobal(label->rect().center()));
  QApplication::sendEvent(label, &rightClick);
  QTRY_VERIFY(menu->isVisible());
  QCOMPARE(menu->actions().size(), 4);
  menu->close();

  // The Menu key on a focused button, as the desktop delivers it.
  QWidget* button = form_->control("Command1");
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, button->rect().center(),
                            button->mapToGlobal(button->rect().center()));
  QApplication::sendEvent(button, &menuKey);
  QTRY_VERIFY(menu->isVisible());
  menu->close();
}

void StatementTest::workingBoxShowsTheStatement() {
  Enter(*form_, kWorkedExample);
  Click(*form_, "Command1");
  QString working;
  QTimer::singleShot(50, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    working = box->findChild<QPlainTextEdit*>()->toPlainText();
    box->reject();
  });
  catcher_.reset();  // the boxes are closed here
  QTest::keyClick(form_.get(), Qt::Key_F1);
  QVERIFY(working.contains(QStringLiteral("逾期利息 = 91 × (10000 × 0.0002655) = 241.605 ≈ 241.61")));
}

void StatementTest::printOpensAPreview() {
  Enter(*form_, kWorkedExample);
  Click(*form_, "Command1");
  catcher_.reset();  // the preview is closed here

  bool previewed = false;
  QTimer poll;
  connect(&poll, &QTimer::timeout, [&] {
    if (auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
      previewed = true;
      preview->reject();
    }
  });
  poll.start(20);
  QTest::keyClick(form_.get(), Qt::Key_P, Qt::ControlModifier);
  QVERIFY(previewed);
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::StatementTest)
#include "statement_test.moc"
