// The journal through the real window: what each hand-on records, the header
// box, a journal that cannot be opened, the history, and batch runs.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "batch/batch_runner.h"
#include "form/tests/form_driver.h"
#include "journal/history_window.h"
#include "journal/journal_desk.h"
#include "journal/statement_box.h"
#include "quillbary/calculate.h"

namespace quillbary::testing {
namespace {

const QRegularExpression kSerialLine(QStringLiteral("编号：\\d{4}-\\d{6}"));

QPushButton* ButtonOf(QWidget* box, const QString& text) {
  for (QPushButton* button : box->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

// Types text key by key, Chinese included (QTest::keyClicks takes ASCII only).
void TypeKeys(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace

class JournalWindowTest : public FormFixture {
  Q_OBJECT

 private slots:
  void handOnsAreRecorded_data();
  void handOnsAreRecorded();
  void refusedSerialsStopOnlyNewStatements_data();
  void refusedSerialsStopOnlyNewStatements();
  void headerBoxFillsTheStatement();
  void journalThatCannotBeOpenedRefusesTheHandOn_data();
  void journalThatCannotBeOpenedRefusesTheHandOn();
  void historyFiltersAsTyped_data();
  void historyFiltersAsTyped();
  void voidAndReprintFromTheHistory();
  void historyExportsItsRows();
  void batchRunIsRecordedBeforeItsResultsAreSaved_data();
  void batchRunIsRecordedBeforeItsResultsAreSaved();

 private:
  JournalDesk* makeDesk(JournalChoice choice, bool fresh = true);
  QString journalPath() const { return folder_->filePath("journal.sqlite3"); }

  std::unique_ptr<QTemporaryDir> folder_;
  QStringList told_;
};

// Each test's first desk starts afresh: a new folder, an empty clipboard.
JournalDesk* JournalWindowTest::makeDesk(JournalChoice choice, bool fresh) {
  if (fresh) {
    folder_ = std::make_unique<QTemporaryDir>();
    told_.clear();
    QApplication::clipboard()->clear();
    choice.path = journalPath().toStdString();
  }
  auto* desk = new JournalDesk(&shown(), shown().statementMenu(), std::move(choice), "1.00");
  desk->setTeller(
      [this](const QString& title, const QString& text) { told_ << title + "\n" + text; });
  desk->setFileChooser([this](QWidget*, const QString&, const QString& suggested, const QString&) {
    return folder_->filePath(QFileInfo(suggested).fileName());
  });
  shown().statementMenu()->setPathChooser(
      [this](QWidget*, const QString&) { return folder_->filePath("statement.pdf"); });
  return desk;
}

void JournalWindowTest::handOnsAreRecorded_data() {
  QTest::addColumn<QStringList>("steps");  // after the worked example is entered
  QTest::addColumn<int>("statements");
  QTest::addColumn<int>("entries");
  QTest::newRow("one copy") << QStringList{"calc", "copy"} << 1 << 1;
  QTest::newRow("copy then pdf: one statement, two hand-ons")
      << QStringList{"calc", "copy", "pdf"} << 1 << 2;
  QTest::newRow("a new calculation is a new statement")
      << QStringList{"calc", "copy", "calc", "copy"} << 2 << 2;
  QTest::newRow("a changed header is a new statement")
      << QStringList{"calc", "copy", "header", "copy"} << 2 << 2;
  QTest::newRow("nothing handed on, nothing recorded") << QStringList{"calc"} << 0 << 0;
  QTest::newRow("a PDF that cannot be written is not recorded")
      << QStringList{"calc", "unwritable pdf"} << 0 << 0;
  QTest::newRow("nor handed on again") << QStringList{"calc", "copy", "unwritable pdf"} << 1 << 1;
}

void JournalWindowTest::handOnsAreRecorded() {
  QFETCH(QStringList, steps);
  QFETCH(int, statements);
  QFETCH(int, entries);
  BoxCatcher catcher;
  JournalDesk* desk = makeDesk({});
  Enter(shown(), WorkedExample());
  for (const QString& step : steps) {
    if (step == "calc") Click(shown(), "Command1");
    if (step == "copy") shown().statementMenu()->copy();
    if (step == "pdf") shown().statementMenu()->exportPdf();
    if (step == "unwritable pdf") {
      shown().statementMenu()->setPathChooser(
          [this](QWidget*, const QString&) { return folder_->filePath("no/such/statement.pdf"); });
      shown().statementMenu()->exportPdf();
    }
    if (step == "header") desk->setHeader({"张三", "JD-1", ""});
  }
  QVERIFY2(told_.isEmpty(), qPrintable(told_.join('\n')));
  auto journal = journal::Journal::Open(journalPath().toStdString());
  QCOMPARE(journal->ListStatements({}, 100).size(), std::size_t(statements));
  QCOMPARE(journal->EntryCount(), std::int64_t(entries));
  if (steps.contains("copy")) {
    QVERIFY(QApplication::clipboard()->text().contains(kSerialLine));
    QVERIFY(QApplication::clipboard()->text().contains(QString::fromStdString(*desk->serial())));
  }
}

void JournalWindowTest::refusedSerialsStopOnlyNewStatements_data() {
  QTest::addColumn<bool>("numberedFirst");
  QTest::addColumn<int>("entries");
  // A statement numbered before the refusal is handed on again; a new one
  // is refused with the reason, and nothing of it is recorded.
  QTest::newRow("numbered before: handed on again") << true << 2;
  QTest::newRow("not numbered: refused") << false << 0;
}

void JournalWindowTest::refusedSerialsStopOnlyNewStatements() {
  QFETCH(bool, numberedFirst);
  QFETCH(int, entries);
  BoxCatcher catcher;
  JournalDesk* desk = makeDesk({});
  Enter(shown(), WorkedExample());
  Click(shown(), "Command1");
  if (numberedFirst) shown().statementMenu()->copy();
  desk->refuseNewSerials(QStringLiteral("本机日志落后于分行数据库"));
  QApplication::clipboard()->clear();
  shown().statementMenu()->copy();
  QCOMPARE(!QApplication::clipboard()->text().isEmpty(), numberedFirst);
  QCOMPARE(told_.size(), numberedFirst ? 0 : 1);
  if (!numberedFirst) QVERIFY2(told_[0].contains("落后于分行数据库"), qPrintable(told_[0]));
  QCOMPARE(journal::Journal::Open(journalPath().toStdString())->EntryCount(),
           std::int64_t(entries));
}

void JournalWindowTest::headerBoxFillsTheStatement() {
  BoxCatcher catcher;
  makeDesk({});
  Enter(shown(), WorkedExample());
  Click(shown(), "Command1");
  QTest::keyClick(&shown(), Qt::Key_F1);
  auto* box = shown().findChild<StatementBox*>();
  QVERIFY(box);
  // Typed key by key, blanks inside a name included.
  for (const auto& [name, typed] :
       {std::pair{"borrower", "Zhang San"}, {"loanNumber", "JD 7"}, {"clerk", "Li Si"}}) {
    QTest::keyClicks(box->findChild<QLineEdit*>(name), typed);
  }
  QVERIFY(box->text().contains("借款人：Zhang San"));
  QTest::mouseClick(ButtonOf(box, "复制"), Qt::LeftButton);
  const QString copied = QApplication::clipboard()->text();
  for (const char* line : {"借款人：Zhang San", "借据号：JD 7", "经办人：Li Si"}) {
    QVERIFY2(copied.contains(QString::fromUtf8(line)), line);
  }
  QVERIFY(copied.contains(kSerialLine));
  QVERIFY2(box->text().contains(kSerialLine), "the box shows the 编号 once it has one");
  QTest::mouseClick(ButtonOf(box, "关闭"), Qt::LeftButton);

  // 借款人 and 借据号 go with a new calculation; 经办人 stays, even in a new desk.
  Click(shown(), "Command1");
  JournalDesk* next = makeDesk({journalPath().toStdString(), false}, false);
  QCOMPARE(next->header(), (journal::StatementHeader{"", "", "Li Si"}));
  QCOMPARE(shown().findChild<JournalDesk*>()->header(),
           (journal::StatementHeader{"", "", "Li Si"}));
}

void JournalWindowTest::journalThatCannotBeOpenedRefusesTheHandOn_data() {
  QTest::addColumn<QString>("file");   // what stands at the journal's path
  QTest::addColumn<bool>("disabled");  // --no-journal
  QTest::addColumn<bool>("handedOn");
  QTest::newRow("not a database") << "not a database" << false << false;
  QTest::newRow("not a database, but no journal wanted") << "not a database" << true << true;
}

void JournalWindowTest::journalThatCannotBeOpenedRefusesTheHandOn() {
  QFETCH(QString, file);
  QFETCH(bool, disabled);
  QFETCH(bool, handedOn);
  BoxCatcher catcher;
  makeDesk({{}, disabled});
  {
    // Written after the desk is made: it opens the journal only when needed.
    QFile bad(journalPath());
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(file.toUtf8().repeated(100));
  }
  Enter(shown(), WorkedExample());
  Click(shown(), "Command1");
  shown().statementMenu()->copy();
  shown().statementMenu()->exportPdf();

  QCOMPARE(!QApplication::clipboard()->text().isEmpty(), handedOn);
  QCOMPARE(QFile::exists(folder_->filePath("statement.pdf")), handedOn);
  QVERIFY(!QApplication::clipboard()->text().contains("编号"));
  if (!handedOn) {
    QCOMPARE(told_.size(), 2);
    QVERIFY2(told_[0].contains(QDir::toNativeSeparators(journalPath())) && told_[0].contains("不是数据库"),
             qPrintable(told_[0]));
  }
  QFile kept(journalPath());
  QVERIFY(kept.open(QIODevice::ReadOnly));
  QCOMPARE(kept.readAll(), file.toUtf8().repeated(100));
}

void JournalWindowTest::historyFiltersAsTyped_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("status");  // the status choice's index
  QTest::addColumn<QStringList>("borrowers");
  QTest::newRow("everything, newest first") << "" << 0 << QStringList{"李四", "张三丰", "张三"};
  QTest::newRow("part of a name") << "张三" << 0 << QStringList{"张三丰", "张三"};
  QTest::newRow("a loan number") << "JD-2" << 0 << QStringList{"张三丰"};
  QTest::newRow("a serial") << "-000003" << 0 << QStringList{"李四"};
  QTest::newRow("nothing") << "王" << 0 << QStringList{};
  QTest::newRow("voided only") << "" << 2 << QStringList{"张三"};
  QTest::newRow("in force with a name") << "张" << 1 << QStringList{"张三丰"};
}

void JournalWindowTest::historyFiltersAsTyped() {
  QFETCH(QString, typed);
  QFETCH(int, status);
  QFETCH(QStringList, borrowers);
  BoxCatcher catcher;
  JournalDesk* desk = makeDesk({});
  FieldValues f;
  f.jkrq = f.qxrq = f.dqrq = std::chrono::year{2009} / 1 / 1;
  f.hkrq = std::chrono::year{2009} / 3 / 1;
  f.hkje = "100";
  f.ll = "5";
  f.zjlx = true;
  Calculate(f, [](std::string_view) {});
  const Statement statement = *MakeStatement(f, "2026-03-03 10:00:00");
  journal::Journal* journal = desk->journal();
  std::vector<std::string> serials;
  for (const auto& [name, loan] :
       {std::pair{"张三", "JD-1"}, {"张三丰", "JD-2"}, {"李四", "JD-3"}}) {
    serials.push_back(
        journal->RecordStatement({name, loan, ""}, statement, {journal::HandOnKind::kCopy, ""})
            .serial);
  }
  journal->RecordVoid(serials[0], "重复");
  shown().statementMenu()->menu()->actions().last()->trigger();  // 历史记录…
  HistoryWindow* history = desk->history();
  QVERIFY(history && history->isVisible());
  history->status()->setCurrentIndex(status);
  TypeKeys(history->filterText(), typed);
  QStringList listed;
  for (int row = 0; row < history->model()->rowCount(); ++row) {
    listed << QString::fromStdString(history->model()->row(row).borrower);
  }
  QCOMPARE(listed, borrowers);
}

void JournalWindowTest::voidAndReprintFromTheHistory() {
  BoxCatcher catcher;
  JournalDesk* desk = makeDesk({});
  desk->setReasonAsker([](QWidget*, const QString&) { return QStringLiteral("金额录错"); });
  Enter(shown(), WorkedExample());
  Click(shown(), "Command1");
  desk->setHeader({"张三", "JD-9", ""});
  shown().statementMenu()->copy();
  const std::string serial = *desk->serial();

  QVERIFY(desk->reprint(serial, StatementMenu::HandOnWay::kCopy));
  QVERIFY(QApplication::clipboard()->text().contains("补打：原件出具于 "));
  QVERIFY(QApplication::clipboard()->text().contains("借款人：张三"));
  QVERIFY(desk->reprint(serial, StatementMenu::HandOnWay::kPdf));
  QVERIFY(QFile::exists(folder_->filePath(QString("计息单-%1-补打.pdf").arg(serial.c_str()))));
  QVERIFY(desk->voidStatement(serial));
  QVERIFY2(!desk->voidStatement(serial), "a statement is voided once");
  QVERIFY2(!desk->reprint(serial, StatementMenu::HandOnWay::kCopy),
           "a voided one is not reprinted");

  const journal::StatementSummary summary = *desk->journal()->Summary(serial);
  QVERIFY(summary.voided);
  QCOMPARE(summary.reprints, 2);
  QVERIFY(desk->journal()->CheckChain().intact);
}

void JournalWindowTest::historyExportsItsRows() {
  BoxCatcher catcher;
  JournalDesk* desk = makeDesk({});
  Enter(shown(), WorkedExample());
  Click(shown(), "Command1");
  desk->setHeader({"=HYPERLINK(\"x\")", "", ""});
  shown().statementMenu()->copy();
  QTest::keyClick(&shown(), Qt::Key_H, Qt::ControlModifier);
  QVERIFY(desk->history());
  desk->history()->exportRows(false);
  desk->history()->exportRows(true);
  QFile csv(folder_->filePath("计息单历史.csv"));
  QVERIFY(csv.open(QIODevice::ReadOnly));
  const QByteArray bytes = csv.readAll();
  QVERIFY(bytes.startsWith("\xEF\xBB\xBF编号,时间,借款人"));
  QVERIFY2(bytes.contains("\"'=HYPERLINK(\"\"x\"\")\""), bytes.constData());
  QFile xlsx(folder_->filePath("计息单历史.xlsx"));
  QVERIFY(xlsx.open(QIODevice::ReadOnly));
  QVERIFY(xlsx.readAll().startsWith("PK"));
}

void JournalWindowTest::batchRunIsRecordedBeforeItsResultsAreSaved_data() {
  QTest::addColumn<bool>("badJournal");  // what stands at the journal's path is not one
  QTest::addColumn<bool>("disabled");    // --no-journal
  QTest::addColumn<bool>("saved");
  QTest::newRow("recorded, then saved") << false << false << true;
  QTest::newRow("journal cannot be opened: not run") << true << false << false;
  QTest::newRow("no journal wanted: saved unrecorded") << true << true << true;
}

void JournalWindowTest::batchRunIsRecordedBeforeItsResultsAreSaved() {
  QFETCH(bool, badJournal);
  QFETCH(bool, disabled);
  QFETCH(bool, saved);
  makeDesk({{}, disabled});
  if (badJournal) {
    QFile bad(journalPath());
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray("not a database").repeated(100));
  }
  const QString in = folder_->filePath("月末.csv");
  const QString out = folder_->filePath("月末-结果.csv");
  {
    QFile file(in);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "借款日期,到期日期,还款日期,起息日期,还款金额,月利率(‰),还款方式\n"
        "2009-01-01,2009-07-01,2009-09-30,2009-01-01,\"10,000\",5.31,只结利息\n");
  }
  BatchRunner* runner = shown().statementMenu()->batchRunner();
  runner->setOpenChooser([in](QWidget*) { return in; });
  runner->setSaveChooser([out](QWidget*, const QString&) { return out; });
  bool summaryShown = false;
  runner->setSummaryShower([&](QWidget*, const QString&) { summaryShown = true; });
  runner->run();

  QCOMPARE(QFile::exists(out), saved);
  QCOMPARE(summaryShown, saved);  // a journal that cannot be opened stops the run at once
  if (!saved) {
    QCOMPARE(told_.size(), 1);
    QVERIFY2(told_[0].contains("批量计算无从记录"), qPrintable(told_[0]));
    return;
  }
  if (disabled) return;
  const auto sha256 = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
               : QByteArray();
  };
  journal::JournalOptions readOnly;
  readOnly.readOnly = true;
  std::vector<journal::Entry> entries;
  journal::Journal::Open(journalPath().toStdString(), readOnly)->ForEachEntry([&](const auto& e) {
    entries.push_back(e);
  });
  QCOMPARE(entries.size(), std::size_t{1});
  QCOMPARE(entries[0].kind, journal::EntryKind::kBatchRun);
  const journal::BatchRunRecord& run = entries[0].batchRun;
  QCOMPARE(QString::fromStdString(run.inputPath), in);
  QCOMPARE(QString::fromStdString(run.outputPath), out);
  QCOMPARE(QByteArray::fromStdString(run.inputSha256), sha256(in));
  QCOMPARE(QByteArray::fromStdString(run.outputSha256), sha256(out));
  QCOMPARE(run.rowsRead, 1);
  QCOMPARE(QString::fromStdString(run.totalSum), QStringLiteral("561.98"));
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::JournalWindowTest)
#include "journal_window_test.moc"
