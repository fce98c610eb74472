// Voids and prints through the window: a print recorded only when the page
// is sent, a voided statement's box, the void's reason box, and the history's
// marks, date range and pages.
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "form/tests/form_driver.h"
#include "journal/history_window.h"
#include "journal/journal_desk.h"
#include "journal/statement_box.h"
#include "journal/void_reason_box.h"

namespace quillbary::testing {
namespace {

// Runs `press`, and in the print preview it opens sends the page into `file`
// (none: only looks) before cancelling the preview, as the clerk who closes
// it would; whether a preview opened. A box that says the page could not be
// printed is closed.
bool InPreview(const std::function<void()>& press, const QString& file) {
  bool previewed = false;
  QTimer boxes;  // a timer of its own: the preview's is busy while the page is sent
  QObject::connect(&boxes, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
  });
  boxes.start(10);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    if (preview == nullptr) return;
    previewed = true;
    if (!file.isEmpty()) {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFileName(file);
      emit preview->paintRequested(&printer);
    }
    preview->reject();
  });
  poll.start(10);
  press();
  return previewed;
}

std::vector<journal::Entry> Entries(const QString& path) {
  std::vector<journal::Entry> entries;
  if (!QFile::exists(path)) return entries;
  journal::JournalOptions readOnly;
  readOnly.readOnly = true;
  journal::Journal::Open(path.toStdString(), readOnly)->ForEachEntry([&](const auto& e) {
    entries.push_back(e);
  });
  return entries;
}

QPushButton* ButtonOf(QWidget* box, const QString& text) {
  for (QPushButton* button : box->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

// The worked example's statement, made on `day` ("2026-03-01").
Statement StatementOf(const std::string& day) {
  FieldValues f;
  f.jkrq = f.qxrq = std::chrono::year{2009} / 1 / 1;
  f.dqrq = std::chrono::year{2009} / 7 / 1;
  f.hkrq = std::chrono::year{2009} / 9 / 30;
  f.hkje = "10000";
  f.ll = "5.31";
  f.zjlx = true;
  Calculate(f, [](std::string_view) {});
  return *MakeStatement(f, day + " 10:00:00");
}

}  // namespace

class VoidsTest : public FormFixture {
  Q_OBJECT

 private slots:
  void printIsRecordedWhenThePageIsSent_data();
  void printIsRecordedWhenThePageIsSent();
  void voidedStatementOffersNoReprintOrVoid_data();
  void voidedStatementOffersNoReprintOrVoid();
  void voidedStatementIsRefusedBeforeAnythingIsAsked_data();
  void voidedStatementIsRefusedBeforeAnythingIsAsked();
  void reasonBoxTakesOnlyAReason_data();
  void reasonBoxTakesOnlyAReason();
  void historyRangeHoldsBothEnds_data();
  void historyRangeHoldsBothEnds();
  void historyPagesListEachStatementOnce_data();
  void historyPagesListEachStatementOnce();
  void historyMarksVoidedRowsAndFitsTheScreen();

 private:
  JournalDesk* makeDesk();
  // Records one statement for each day, in that order, with its clock.
  void recordOn(const QStringList& days);
  QString journalPath() const { return folder_->filePath("journal.sqlite3"); }

  std::unique_ptr<QTemporaryDir> folder_;
  QStringList told_;
  int asked_ = 0;  // reason boxes and file dialogs
};

JournalDesk* VoidsTest::makeDesk() {
  folder_ = std::make_unique<QTemporaryDir>();
  told_.clear();
  asked_ = 0;
  auto* desk = new JournalDesk(&shown(), shown().statementMenu(),
                               {journalPath().toStdString(), false}, "1.00");
  desk->setTeller([this](const QString& title, const QString& text) { told_ << title + text; });
  desk->setReasonAsker([this](QWidget*, const QString&) {
    ++asked_;
    return QStringLiteral("金额录错");
  });
  desk->setFileChooser([this](QWidget*, const QString&, const QString& suggested, const QString&) {
    ++asked_;
    return folder_->filePath(QFileInfo(suggested).fileName());
  });
  return desk;
}

void VoidsTest::recordOn(const QStringList& days) {
  for (const QString& day : days) {
    journal::JournalOptions options;
    options.programVersion = "1.00";
    options.clock = [day] { return day.toStdString() + " 10:00:00"; };
    journal::Journal::Open(journalPath().toStdString(), options)
        ->RecordStatement({"张三", "", ""}, StatementOf(day.toStdString()),
                          {journal::HandOnKind::kCopy, ""});
  }
}

void VoidsTest::printIsRecordedWhenThePageIsSent_data() {
  QTest::addColumn<bool>("reprint");  // 补打 from the history, else 打印计息单…
  QTest::addColumn<QString>("file");  // printed into; empty: the preview is only closed
  QTest::addColumn<int>("prints");    // entries of the print kind
  QTest::newRow("preview closed") << false << "" << 0;
  QTest::newRow("printed to a file") << false << "page.pdf" << 1;
  QTest::newRow("a file that cannot be written") << false << "no/such/page.pdf" << 0;
  QTest::newRow("reprint: preview closed") << true << "" << 0;
  QTest::newRow("reprint: printed to a file") << true << "page.pdf" << 1;
}

void VoidsTest::printIsRecordedWhenThePageIsSent() {
  QFETCH(bool, reprint);
  QFETCH(QString, file);
  QFETCH(int, prints);
  JournalDesk* desk = makeDesk();
  Enter(shown(), WorkedExample());
  Click(shown(), "Command1");
  std::string serial;
  if (reprint) {
    shown().statementMenu()->copy();
    serial = *desk->serial();
  }
  const QString path = file.isEmpty() ? QString() : folder_->filePath(file);
  QVERIFY(InPreview(
      [&] {
        if (reprint) {
          desk->reprint(serial, StatementMenu::HandOnWay::kPrint);
        } else {
          shown().statementMenu()->print();
        }
      },
      path));

  const journal::EntryKind kind =
      reprint ? journal::EntryKind::kReprint : journal::EntryKind::kStatement;
  int recorded = 0;
  std::string printedSerial;
  for (const journal::Entry& entry : Entries(journalPath())) {
    if (entry.kind != kind) continue;
    ++recorded;
    QCOMPARE(entry.handOn.kind, journal::HandOnKind::kPrint);
    QCOMPARE(QString::fromStdString(entry.handOn.pdfPath), path);
    printedSerial = entry.serial;
  }
  QCOMPARE(recorded, prints);
  QCOMPARE(QFile::exists(path), prints > 0);
  if (prints > 0) {
    QFile page(path);
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY2(!printedSerial.empty(), "the print carries a 编号");
  }
}

void VoidsTest::voidedStatementOffersNoReprintOrVoid_data() {
  QTest::addColumn<QStringList>("steps");  // after one statement is recorded
  QTest::addColumn<bool>("offered");       // 补打 and 作废… on
  QTest::addColumn<QStringList>("shown");  // what the status says
  QTest::newRow("in force") << QStringList{} << true << QStringList{"有效"};
  QTest::newRow("reprinted") << QStringList{"reprint"} << true << QStringList{"补打 1 次"};
  QTest::newRow("voided before it opens")
      << QStringList{"void"} << false
      << QStringList{"已作废", "原因：金额录错", "作废时间：", "经办人：李四"};
  QTest::newRow("voided from its box")
      << QStringList{"open", "void in box"} << false << QStringList{"已作废", "原因：金额录错"};
  QTest::newRow("reprinted, then voided")
      << QStringList{"reprint", "void"} << false << QStringList{"已作废（补打 1 次）"};
}

void VoidsTest::voidedStatementOffersNoReprintOrVoid() {
  QFETCH(QStringList, steps);
  QFETCH(bool, offered);
  QFETCH(QStringList, shown);
  JournalDesk* desk = makeDesk();
  desk->setHeader({"张三", "JD-1", "李四"});
  Enter(this->shown(), WorkedExample());
  Click(this->shown(), "Command1");
  this->shown().statementMenu()->copy();
  const std::string serial = *desk->serial();
  StatementBox* box = nullptr;
  const auto open = [&] {
    desk->showRecorded(serial);
    box = this->shown().findChild<StatementBox*>();
  };
  for (const QString& step : steps) {
    if (step == "reprint") QVERIFY(desk->reprint(serial, StatementMenu::HandOnWay::kCopy));
    if (step == "void") QVERIFY(desk->voidStatement(serial));
    if (step == "open") open();
    if (step == "void in box") QTest::mouseClick(ButtonOf(box, "作废…"), Qt::LeftButton);
  }
  if (!box) open();
  QVERIFY(box);
  QCOMPARE(ButtonOf(box, "补打")->isEnabled(), offered);
  QCOMPARE(ButtonOf(box, "作废…")->isEnabled(), offered);
  for (const QString& part : shown)
    QVERIFY2(box->status().contains(part), qPrintable(box->status()));
  QVERIFY2(told_.isEmpty(), qPrintable(told_.join('\n')));
}

void VoidsTest::voidedStatementIsRefusedBeforeAnythingIsAsked_data() {
  QTest::addColumn<QString>("then");
  QTest::newRow("void again") << "void";
  QTest::newRow("reprint by print") << "print";
  QTest::newRow("reprint as a PDF") << "pdf";
  QTest::newRow("reprint by copy") << "copy";
}

void VoidsTest::voidedStatementIsRefusedBeforeAnythingIsAsked() {
  QFETCH(QString, then);
  JournalDesk* desk = makeDesk();
  Enter(shown(), WorkedExample());
  Click(shown(), "Command1");
  shown().statementMenu()->copy();
  const std::string serial = *desk->serial();
  QVERIFY(desk->voidStatement(serial));
  asked_ = 0;
  const std::int64_t entries = desk->journal()->EntryCount();

  bool done = true;
  const bool previewed = InPreview(
      [&] {
        if (then == "void") done = desk->voidStatement(serial);
        if (then == "print") done = desk->reprint(serial, StatementMenu::HandOnWay::kPrint);
        if (then == "pdf") done = desk->reprint(serial, StatementMenu::HandOnWay::kPdf);
        if (then == "copy") done = desk->reprint(serial, StatementMenu::HandOnWay::kCopy);
      },
      {});
  QVERIFY(!done);
  QVERIFY2(!previewed && asked_ == 0, "nothing is asked of a voided statement");
  QCOMPARE(told_.size(), 1);
  QVERIFY2(told_[0].contains("已作废"), qPrintable(told_[0]));
  QCOMPARE(desk->journal()->EntryCount(), entries);
}

void VoidsTest::reasonBoxTakesOnlyAReason_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("ok");
  QTest::newRow("nothing") << "" << false;
  QTest::newRow("spaces") << "   " << false;
  QTest::newRow("full-width spaces") << "\u3000\u3000" << false;
  QTest::newRow("a no-break space") << "\u00a0" << false;
  QTest::newRow("a reason") << "重复出具" << true;
  QTest::newRow("a reason between spaces") << "\u3000重复 " << true;
}

void VoidsTest::reasonBoxTakesOnlyAReason() {
  QFETCH(QString, typed);
  QFETCH(bool, ok);
  VoidReasonBox box(&shown(), QStringLiteral("2026-000001"));
  box.show();
  QVERIFY(!box.okButton()->isEnabled());
  for (const QChar c : typed) {
    QTest::sendKeyEvent(QTest::Press, box.reasonEdit(), Qt::Key_unknown, QString(c),
                        Qt::NoModifier);
  }
  QCOMPARE(box.reasonEdit()->text(), typed);
  QCOMPARE(box.okButton()->isEnabled(), ok);
  QTest::keyClick(box.reasonEdit(), Qt::Key_Return);  // Enter presses 确定 only while it is on
  QCOMPARE(box.result() == QDialog::Accepted, ok);
  if (ok) QCOMPARE(box.reason(), typed.trimmed());
}

void VoidsTest::historyRangeHoldsBothEnds_data() {
  QTest::addColumn<QDate>("from");
  QTest::addColumn<QDate>("to");
  QTest::addColumn<QStringList>("days");  // of the statements listed, newest first
  const QDate first(2026, 3, 1);
  QTest::newRow("first and last day of the range")
      << first << first.addDays(1) << QStringList{"2026-03-02", "2026-03-02", "2026-03-01"};
  QTest::newRow("up to the newest day") << first.addDays(1) << first.addDays(2)
                                        << QStringList{"2026-03-03", "2026-03-02", "2026-03-02"};
  QTest::newRow("one day") << first.addDays(2) << first.addDays(2) << QStringList{"2026-03-03"};
  QTest::newRow("a day with none") << first.addDays(3) << first.addDays(9) << QStringList{};
}

void VoidsTest::historyRangeHoldsBothEnds() {
  QFETCH(QDate, from);
  QFETCH(QDate, to);
  QFETCH(QStringList, days);
  JournalDesk* desk = makeDesk();
  recordOn({"2026-02-28", "2026-03-01", "2026-03-02", "2026-03-02", "2026-03-03"});
  desk->showHistory();
  HistoryWindow* history = desk->history();
  history->fromDate()->setDate(from);
  history->toDate()->setDate(to);
  history->dateRange()->setChecked(true);
  QStringList listed;
  for (int row = 0; row < history->model()->rowCount(); ++row) {
    listed << QString::fromStdString(history->model()->row(row).recordedAt).left(10);
  }
  QCOMPARE(listed, days);
}

void VoidsTest::historyPagesListEachStatementOnce_data() {
  QTest::addColumn<int>("statements");
  const int page = HistoryModel::kPageRows;
  QTest::newRow("less than a page") << page - 1;
  QTest::newRow("a page exactly") << page;
  QTest::newRow("a page and one") << page + 1;
  QTest::newRow("two pages and a half") << page * 2 + page / 2;
}

void VoidsTest::historyPagesListEachStatementOnce() {
  QFETCH(int, statements);
  JournalDesk* desk = makeDesk();
  journal::Journal* journal = desk->journal();
  for (int i = 0; i < statements; ++i) {
    journal->RecordStatement({}, StatementOf("2026-03-01"), {journal::HandOnKind::kCopy, ""});
  }
  desk->showHistory();
  HistoryModel* model = desk->history()->model();
  // As the view scrolls to the end: a page at a time, as long as it says more.
  for (int pages = 0; model->canFetchMore({}) && pages <= statements; ++pages) {
    model->fetchMore({});
  }
  QCOMPARE(model->rowCount(), statements);
  for (int row = 0; row < model->rowCount(); ++row) {
    // Newest first: the n-th row is the statement numbered statements - n.
    QCOMPARE(model->row(row).serial, QStringLiteral("%1-%2")
                                         .arg(QDate::currentDate().year())
                                         .arg(statements - row, 6, 10, QChar('0'))
                                         .toStdString());
  }
}

void VoidsTest::historyMarksVoidedRowsAndFitsTheScreen() {
  JournalDesk* desk = makeDesk();
  journal::Journal* journal = desk->journal();
  // The widest total a statement holds: a hundred million repaid with its interest.
  Enter(shown(), WorkedExample("hbjx"));
  TypeText(shown(), "hkje", QStringLiteral("99999999.99"));
  Click(shown(), "Command1");
  shown().statementMenu()->copy();
  const std::string voided =
      journal->RecordStatement({}, StatementOf("2026-03-01"), {journal::HandOnKind::kCopy, ""})
          .serial;
  journal->RecordVoid(voided, "重复", "李四");
  desk->showHistory();
  HistoryWindow* history = desk->history();
  HistoryModel* model = history->model();
  QCOMPARE(model->rowCount(), 2);

  // Newest first: the voided one, then the one in force.
  const QModelIndex voidedStatus = model->index(0, model->columnCount() - 1);
  QCOMPARE(model->headerData(model->columnCount() - 1, Qt::Horizontal, Qt::DisplayRole),
           QVariant(QStringLiteral("状态")));
  QCOMPARE(voidedStatus.data().toString(), QStringLiteral("作废"));
  QVERIFY(voidedStatus.data(Qt::FontRole).value<QFont>().strikeOut());
  QCOMPARE(model->index(1, model->columnCount() - 1).data().toString(), QStringLiteral("有效"));
  QVERIFY(!model->index(1, 0).data(Qt::FontRole).value<QFont>().strikeOut());

  QVERIFY(QTest::qWaitForWindowExposed(history));
  const QSize screen(800, 600);
  QVERIFY2(history->minimumSizeHint().width() <= screen.width() &&
               history->frameGeometry().width() <= screen.width() &&
               history->frameGeometry().height() <= screen.height(),
           qPrintable(QStringLiteral("%1x%2")
                          .arg(history->frameGeometry().width())
                          .arg(history->frameGeometry().height())));
  QTableView* table = history->table();
  const int total = HistoryModel::kTotalColumn;
  const QString widest = model->index(1, total).data().toString();
  QVERIFY2(widest.startsWith(QStringLiteral("本息合计：")), qPrintable(widest));
  QVERIFY2(table->columnWidth(total) >= table->fontMetrics().horizontalAdvance(widest),
           qPrintable(QStringLiteral("%1 < %2")
                          .arg(table->columnWidth(total))
                          .arg(table->fontMetrics().horizontalAdvance(widest))));
  // Every column in view, the 状态 last among them.
  QVERIFY2(table->horizontalHeader()->length() <= table->viewport()->width(),
           qPrintable(QStringLiteral("%1 > %2")
                          .arg(table->horizontalHeader()->length())
                          .arg(table->viewport()->width())));
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::VoidsTest)
#include "voids_test.moc"
