// Voids and prints through the window: a print recorded only when its page
// is sent, a voided statement's box, the reason box, the history's marks,
// date range and pages.
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

// Runs `press`; in the preview it opens, prints into `file` (empty: only
// looks), then closes it. A box saying the page was not printed is closed.
bool InPreview(const std::function<void()>& press, const QString& file) {
  bool previewed = false;
  QTimer boxes, poll;  // two timers: the preview's is busy while a box is up
  QObject::connect(&boxes, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
  });
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    if (preview == nullptr) return;
    previewed = true;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(file);
    if (!file.isEmpty()) emit preview->paintRequested(&printer);
    preview->reject();
  });
  boxes.start(10);
  poll.start(10);
  press();
  return previewed;
}

QPushButton* ButtonOf(QWidget* box, const QString& text) {
  for (QPushButton* button : box->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

}  // namespace

class VoidsTest : public FormFixture {
  Q_OBJECT

 private slots:
  void printIsRecordedWhenThePageIsSent_data();
  void printIsRecordedWhenThePageIsSent();
  void voidedStatementOffersNothing_data();
  void voidedStatementOffersNothing();
  void reasonBoxTakesOnlyAReason_data();
  void reasonBoxTakesOnlyAReason();
  void historyRangeHoldsBothEnds_data();
  void historyRangeHoldsBothEnds();
  void historyPagesListEachStatementOnce_data();
  void historyPagesListEachStatementOnce();
  void historyMarksVoidedRowsAndFitsTheScreen();

 private:
  // A desk on a new journal, with the worked example handed on (copied)
  // when `copied`; its 编号 in serial_.
  JournalDesk* makeDesk(bool copied);
  // One statement recorded on each day ("2026-03-01"), in that order.
  void recordOn(const QStringList& days);
  int count(journal::EntryKind kind) const;

  std::unique_ptr<QTemporaryDir> folder_;
  std::string serial_;
  QStringList told_;
  int asked_ = 0;  // reason boxes and file dialogs opened
};

JournalDesk* VoidsTest::makeDesk(bool copied) {
  folder_ = std::make_unique<QTemporaryDir>();
  told_.clear();
  asked_ = 0;
  auto* desk = new JournalDesk(&shown(), shown().statementMenu(),
                               {folder_->filePath("j.sqlite3").toStdString(), false}, "1.00");
  desk->setTeller([this](const QString& title, const QString& text) { told_ << title + text; });
  desk->setReasonAsker([this](QWidget*, const QString&) {
    ++asked_;
    return QStringLiteral("错");
  });
  desk->setFileChooser([this](QWidget*, const QString&, const QString&, const QString&) {
    ++asked_;
    return folder_->filePath("x.pdf");
  });
  desk->setHeader({"张三", "", "李四"});
  Enter(shown(), WorkedExample("hbjx"));
  Click(shown(), "Command1");
  if (copied) shown().statementMenu()->copy();
  serial_ = copied ? *desk->serial() : "";
  return desk;
}

void VoidsTest::recordOn(const QStringList& days) {
  for (const QString& day : days) {
    journal::JournalOptions options;
    options.clock = [day] { return day.toStdString() + " 10:00:00"; };
    journal::Journal::Open(folder_->filePath("j.sqlite3").toStdString(), options)
        ->RecordStatement({}, Statement{}, {});
  }
}

int VoidsTest::count(journal::EntryKind kind) const {
  int entries = 0;
  journal::Journal::Open(folder_->filePath("j.sqlite3").toStdString())
      ->ForEachEntry([&](const journal::Entry& e) { entries += e.kind == kind; });
  return entries;
}

void VoidsTest::printIsRecordedWhenThePageIsSent_data() {
  QTest::addColumn<bool>("reprint");  // 补打 from the history, else 打印计息单…
  QTest::addColumn<QString>("file");  // printed into; empty: the preview is closed
  QTest::addColumn<int>("prints");
  QTest::newRow("preview closed") << false << "" << 0;
  QTest::newRow("printed to a file") << false << "page.pdf" << 1;
  QTest::newRow("a file that cannot be written") << false << "no/such.pdf" << 0;
  QTest::newRow("reprint: preview closed") << true << "" << 0;
  QTest::newRow("reprint: printed to a file") << true << "page.pdf" << 1;
  QTest::newRow("never printed into the journal") << false << "j.sqlite3" << 0;
  QTest::newRow("reprint: never printed into the journal") << true << "j.sqlite3" << 0;
}

void VoidsTest::printIsRecordedWhenThePageIsSent() {
  QFETCH(bool, reprint);
  QFETCH(QString, file);
  QFETCH(int, prints);
  JournalDesk* desk = makeDesk(reprint);
  const QString path = file.isEmpty() ? QString() : folder_->filePath(file);
  QVERIFY(InPreview(
      [&] {
        if (reprint) desk->reprint(serial_, StatementMenu::HandOnWay::kPrint);
        if (!reprint) shown().statementMenu()->print();
      },
      path));
  // Counted in the journal, which must still be one.
  QCOMPARE(count(reprint ? journal::EntryKind::kReprint : journal::EntryKind::kStatement), prints);
  QCOMPARE(QFile::exists(path), prints > 0 || file == "j.sqlite3");
}

void VoidsTest::voidedStatementOffersNothing_data() {
  QTest::addColumn<QString>("when");  // the statement is voided: never, before or in its box
  QTest::addColumn<QString>("status");
  QTest::newRow("in force") << "never"
                            << "有效";
  QTest::newRow("voided before it opens") << "before"
                                          << "已作废\n原因：错\n作废时间：";
  QTest::newRow("voided in its box") << "in its box"
                                     << "已作废\n原因：错\n作废时间：";
}

void VoidsTest::voidedStatementOffersNothing() {
  QFETCH(QString, when);
  QFETCH(QString, status);
  JournalDesk* desk = makeDesk(true);
  if (when == "before") QVERIFY(desk->voidStatement(serial_));
  desk->showRecorded(serial_);
  auto* box = shown().findChild<StatementBox*>();
  if (when == "in its box") QTest::mouseClick(ButtonOf(box, "作废…"), Qt::LeftButton);
  QVERIFY2(box->status().startsWith(status), qPrintable(box->status()));
  const bool voided = when != "never";
  QCOMPARE(box->status().endsWith("经办人：李四"), voided);
  QCOMPARE(ButtonOf(box, "补打")->isEnabled(), !voided);
  QCOMPARE(ButtonOf(box, "作废…")->isEnabled(), !voided);
  // Once voided, neither a void nor a reprint asks anything: refused at once.
  asked_ = 0;
  QCOMPARE(desk->reprint(serial_, StatementMenu::HandOnWay::kPdf), !voided);
  QCOMPARE(desk->voidStatement(serial_), !voided);
  QCOMPARE(asked_, voided ? 0 : 2);
  QCOMPARE(told_.size(), voided ? 2 : 0);
}

void VoidsTest::reasonBoxTakesOnlyAReason_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("ok");
  QTest::newRow("spaces") << "  " << false;
  QTest::newRow("full-width spaces") << "\u3000\u3000" << false;
  QTest::newRow("a reason between spaces") << "\u3000重复 " << true;
}

void VoidsTest::reasonBoxTakesOnlyAReason() {
  QFETCH(QString, typed);
  QFETCH(bool, ok);
  VoidReasonBox box(&shown(), QStringLiteral("2026-000001"));
  box.show();
  QVERIFY(!box.okButton()->isEnabled());
  for (const QChar c : typed) {
    QTest::sendKeyEvent(QTest::Press, box.reasonEdit(), Qt::Key_unknown, c, Qt::NoModifier);
  }
  QCOMPARE(box.okButton()->isEnabled(), ok);
  QTest::keyClick(box.reasonEdit(), Qt::Key_Return);  // presses 确定 only while it is on
  QCOMPARE(box.result() == QDialog::Accepted, ok);
}

void VoidsTest::historyRangeHoldsBothEnds_data() {
  QTest::addColumn<QDate>("from");
  QTest::addColumn<QDate>("to");
  QTest::addColumn<QStringList>("days");  // of the rows listed, newest first
  QTest::newRow("first and last day") << QDate(2026, 3, 1) << QDate(2026, 3, 2)
                                      << QStringList{"2026-03-02", "2026-03-02", "2026-03-01"};
  QTest::newRow("up to the newest day") << QDate(2026, 3, 2) << QDate(2026, 3, 3)
                                        << QStringList{"2026-03-03", "2026-03-02", "2026-03-02"};
}

void VoidsTest::historyRangeHoldsBothEnds() {
  QFETCH(QDate, from);
  QFETCH(QDate, to);
  QFETCH(QStringList, days);
  JournalDesk* desk = makeDesk(false);
  recordOn({"2026-02-28", "2026-03-01", "2026-03-02", "2026-03-02", "2026-03-03"});
  desk->showHistory();
  desk->history()->fromDate()->setDate(from);
  desk->history()->toDate()->setDate(to);
  desk->history()->dateRange()->setChecked(true);
  QStringList listed;
  for (int row = 0; row < desk->history()->model()->rowCount(); ++row) {
    listed << QString::fromStdString(desk->history()->model()->row(row).recordedAt).left(10);
  }
  QCOMPARE(listed, days);
}

void VoidsTest::historyPagesListEachStatementOnce_data() {
  QTest::addColumn<int>("statements");
  QTest::newRow("a page exactly") << HistoryModel::kPageRows;
  QTest::newRow("two pages and a half") << HistoryModel::kPageRows * 5 / 2;
}

void VoidsTest::historyPagesListEachStatementOnce() {
  QFETCH(int, statements);
  JournalDesk* desk = makeDesk(false);
  for (int i = 0; i < statements; ++i) recordOn({"2026-03-01"});
  desk->showHistory();
  HistoryModel* model = desk->history()->model();
  // As the view scrolls to the end: a page at a time, while it says there is more.
  for (int pages = 0; model->canFetchMore({}) && pages < statements; ++pages) model->fetchMore({});
  QCOMPARE(model->rowCount(), statements);
  for (int row = 0; row < statements; ++row) {
    QCOMPARE(model->row(row).serial,
             QStringLiteral("2026-%1").arg(statements - row, 6, 10, QChar('0')).toStdString());
  }
}

void VoidsTest::historyMarksVoidedRowsAndFitsTheScreen() {
  JournalDesk* desk = makeDesk(false);
  // The widest total: a hundred million repaid with its interest.
  TypeText(shown(), "hkje", QStringLiteral("99999999.99"));
  Click(shown(), "Command1");
  shown().statementMenu()->copy();
  desk->journal()->RecordVoid(*desk->serial(), "重复");
  recordOn({"2026-03-01"});
  desk->showHistory();
  HistoryWindow* history = desk->history();
  const HistoryModel* model = history->model();
  const int status = model->columnCount() - 1;
  QCOMPARE(model->index(0, status).data().toString(), QStringLiteral("有效"));
  QCOMPARE(model->index(1, status).data().toString(), QStringLiteral("作废"));
  QCOMPARE(model->index(0, 0).data(Qt::FontRole).value<QFont>().strikeOut(), false);
  QCOMPARE(model->index(1, 0).data(Qt::FontRole).value<QFont>().strikeOut(), true);

  QVERIFY(QTest::qWaitForWindowExposed(history));
  QVERIFY(history->frameGeometry().width() <= 800 && history->frameGeometry().height() <= 600);
  QTableView* table = history->table();
  const QString total = model->index(1, HistoryModel::kTotalColumn).data().toString();
  QVERIFY(table->columnWidth(HistoryModel::kTotalColumn) >=
          table->fontMetrics().horizontalAdvance(total));
  QVERIFY2(table->horizontalHeader()->length() <= table->viewport()->width(),
           "every column in view");
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::VoidsTest)
#include "voids_test.moc"
