// 批量计算… through the real window: the item in the menu, a run cancelled
// while it reads, and the summary and saved file of a run that ends.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

#include "batch/batch_runner.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"
#include "quillbary/batch_run.h"
#include "statement/statement_menu.h"

namespace quillbary::testing {

using namespace batch;

namespace {

const QByteArray kHeader = "借款日期,到期日期,还款日期,起息日期,还款金额,月利率(‰),还款方式\n";
const QByteArray kExampleRow = "2009-01-01,2009-07-01,2009-09-30,2009-01-01,10000,5.31,只结利息\n";

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QAction* BatchAction(Form1& form) {
  return form.statementMenu()->menu()->findChild<QAction*>(QStringLiteral("batchAction"));
}

// Every input and result field's text, to see that a run leaves them alone.
QStringList FieldTexts(Form1& form) {
  QStringList texts;
  for (const char* name : {"hkje", "ll", "zcts", "zclx", "yqts", "yqll", "yqlx", "hj"}) {
    texts << Text(form, name);
  }
  return texts;
}

// What a run asked of the clerk and showed.
struct Seen {
  int saveDialogs = 0;
  QStringList summaries;
};

// Answers the runner's dialogs as the clerk would: `input` to open, `saveAs`
// to save (empty: cancelled); what it was asked and shown fills the result.
std::shared_ptr<Seen> Wire(Form1& form, const QString& input, const QString& saveAs) {
  auto seen = std::make_shared<Seen>();
  auto* runner = form.findChild<BatchRunner*>(QStringLiteral("batchRunner"));
  runner->setOpenChooser([input](QWidget*) { return input; });
  runner->setSaveChooser([seen, saveAs](QWidget*, const QString&) {
    ++seen->saveDialogs;
    return saveAs;
  });
  runner->setSummaryShower([seen](QWidget*, const QString& text) { seen->summaries << text; });
  return seen;
}

}  // namespace

class BatchWindowTest : public FormFixture {
  Q_OBJECT

 private slots:
  void itemIsAlwaysThereWithItsShortcut();
  void runEndsInSummaryAndSave_data();
  void runEndsInSummaryAndSave();
  void cancelWritesNothing();
  void recordCarriesTheSummarysCounts();
};

void BatchWindowTest::itemIsAlwaysThereWithItsShortcut() {
  Form1& form = shown();
  QAction* action = BatchAction(form);
  QVERIFY(action != nullptr);
  QCOMPARE(action->text(), QStringLiteral("批量计算…"));
  QVERIFY(action->isEnabled());  // with no figures on screen
  QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));

  int opened = 0;
  form.findChild<BatchRunner*>(QStringLiteral("batchRunner"))->setOpenChooser([&](QWidget*) {
    ++opened;
    return QString();  // the clerk cancels the file dialog
  });
  QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
  QCOMPARE(opened, 1);
}

void BatchWindowTest::runEndsInSummaryAndSave_data() {
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<QString>("saveAs");     // empty: the clerk cancels the save dialog
  QTest::addColumn<QString>("summary");    // empty: none shown
  QTest::addColumn<QString>("failure");    // a part of the failure box's text, or empty
  QTest::addColumn<QString>("savedPart");  // a part of the saved file, or empty: none saved

  QTest::newRow("worked example saved")
      << kHeader + kExampleRow << QStringLiteral("out.csv")
      << QStringLiteral(
             "读取 1 行；已算出 1 行；日期有误 0 行；未算出 0 行；正常利息之和 320.37；"
             "逾期利息之和 241.61；利息合计之和 561.98；本息合计之和 0.00")
      << QString()
      << QStringLiteral(
             "181,320.37,91,7.965,241.61,利息合计,561.98,人民币伍佰陆拾壹元玖角捌分,,,已算出");
  QTest::newRow("row errors still saved")
      << kHeader + "2009-02-30,2009-07-01,2009-09-30,2009-01-01,1,1,只结利息\n"
      << QStringLiteral("out.csv")
      << QStringLiteral(
             "读取 1 行；已算出 0 行；日期有误 0 行；未算出 1 行；正常利息之和 0.00；"
             "逾期利息之和 0.00；利息合计之和 0.00；本息合计之和 0.00")
      << QString() << QStringLiteral("借款日期“2009-02-30”不是存在的日期");
  QTest::newRow("save dialog cancelled")
      << kHeader + kExampleRow << QString()
      << QStringLiteral(
             "读取 1 行；已算出 1 行；日期有误 0 行；未算出 0 行；正常利息之和 320.37；"
             "逾期利息之和 241.61；利息合计之和 561.98；本息合计之和 0.00")
      << QString() << QString();
  QTest::newRow("header lacks a column")
      << QByteArray("借款日期,还款金额\n") << QStringLiteral("out.csv") << QString()
      << QStringLiteral("表头缺少列：到期日期") << QString();
  QTest::newRow("save over the input refused")
      << kHeader + kExampleRow << QStringLiteral("in.csv")
      << QStringLiteral(
             "读取 1 行；已算出 1 行；日期有误 0 行；未算出 0 行；正常利息之和 320.37；"
             "逾期利息之和 241.61；利息合计之和 561.98；本息合计之和 0.00")
      << QStringLiteral("不能保存到输入文件本身") << QString();
}

void BatchWindowTest::runEndsInSummaryAndSave() {
  QFETCH(QByteArray, input);
  QFETCH(QString, saveAs);
  QFETCH(QString, summary);
  QFETCH(QString, failure);
  QFETCH(QString, savedPart);
  Form1& form = shown();
  Enter(form, WorkedExample());
  const QStringList fieldsBefore = FieldTexts(form);
  QTemporaryDir folder;
  const QString in = folder.filePath(QStringLiteral("in.csv"));
  WriteFile(in, input);
  const QString out = saveAs.isEmpty() ? QString() : folder.filePath(saveAs);
  const std::shared_ptr<Seen> seen = Wire(form, in, out);
  BoxCatcher catcher;

  BatchAction(form)->trigger();

  QCOMPARE(seen->summaries, summary.isEmpty() ? QStringList() : QStringList{summary});
  QCOMPARE(seen->saveDialogs, summary.isEmpty() ? 0 : 1);
  QCOMPARE(catcher.caught.size(), failure.isEmpty() ? 0 : 1);
  if (!failure.isEmpty())
    QVERIFY2(catcher.caught[0].text.contains(failure), qPrintable(catcher.caught[0].text));
  if (savedPart.isEmpty()) {
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("in.csv")});
    QCOMPARE(ReadFile(in), input);
  } else {
    QVERIFY(QString::fromUtf8(ReadFile(out)).contains(savedPart));
  }
  QCOMPARE(FieldTexts(form), fieldsBefore);
}

void BatchWindowTest::cancelWritesNothing() {
  Form1& form = shown();
  QTemporaryDir folder;
  const QString in = folder.filePath(QStringLiteral("in.csv"));
  QByteArray rows = kHeader;
  for (int i = 0; i < 400'000; ++i) rows += kExampleRow;
  WriteFile(in, rows);
  const std::shared_ptr<Seen> seen = Wire(form, in, folder.filePath(QStringLiteral("out.csv")));
  // Presses 取消 as soon as the progress dialog exists (it shows itself
  // only once the run has taken a moment).
  QTimer cancel;
  QObject::connect(&cancel, &QTimer::timeout, &form, [&] {
    if (auto* progress = form.findChild<QProgressDialog*>()) {
      progress->findChild<QPushButton*>()->click();
    }
  });
  cancel.start(5);

  BatchAction(form)->trigger();

  QCOMPARE(seen->summaries, QStringList());
  QCOMPARE(seen->saveDialogs, 0);
  QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("in.csv")});
}

// The journal's entry of a run holds the very counts of the summary the
// clerk was shown, each in its place.
void BatchWindowTest::recordCarriesTheSummarysCounts() {
  // One row with a total, one with its dates out of order, two not calculated.
  const QByteArray warned = "2009-08-01,2009-07-01,2009-09-30,2009-01-01,10000,5.31,只结利息\n";
  const QByteArray failed = "2009-02-30,2009-07-01,2009-09-30,2009-01-01,1,1,只结利息\n";
  Form1& form = shown();
  QTemporaryDir folder;
  const QString in = folder.filePath(QStringLiteral("in.csv"));
  WriteFile(in, kHeader + kExampleRow + warned + failed + failed);
  const std::shared_ptr<Seen> seen = Wire(form, in, folder.filePath(QStringLiteral("out.csv")));
  std::optional<journal::BatchRunRecord> recorded;
  form.findChild<BatchRunner*>(QStringLiteral("batchRunner"))
      ->setRecorder(
          [&](const journal::BatchRunRecord& run, const std::function<void()>& putInPlace) {
            recorded = run;
            putInPlace();
            return true;
          },
          [] { return true; }, [] { return files::WriteOptions{}; });

  BatchAction(form)->trigger();

  QVERIFY(recorded);
  QCOMPARE(recorded->rowsDateOrder, 1);
  QCOMPARE(recorded->rowsNotCalculated, 2);
  QCOMPARE(seen->summaries,
           QStringList{QStringLiteral("读取 %1 行；已算出 %2 行；日期有误 %3 行；未算出 %4 行；"
                                      "正常利息之和 %5；逾期利息之和 %6；利息合计之和 %7；"
                                      "本息合计之和 %8")
                           .arg(recorded->rowsRead)
                           .arg(recorded->rowsCalculated)
                           .arg(recorded->rowsDateOrder)
                           .arg(recorded->rowsNotCalculated)
                           .arg(QString::fromStdString(recorded->normalInterestSum),
                                QString::fromStdString(recorded->overdueInterestSum),
                                QString::fromStdString(recorded->interestTotalSum),
                                QString::fromStdString(recorded->principalAndInterestSum))});
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::BatchWindowTest)
#include "batch_window_test.moc"
