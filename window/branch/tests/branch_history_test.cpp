// The branch history against the tests' own PostgreSQL: two terminals'
// statements found by each filter, and 复核 from the window, the maker's own
// refused.
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTest>

#include "branch/branch_history_window.h"
#include "branch/table_pdf.h"
#include "form/tests/form_driver.h"
#include "quillbary/branch.h"
#include "test_journal.h"
#include "test_server.h"

namespace quillbary::testing {

class BranchHistoryTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void filtersFindTheirRows_data();
  void filtersFindTheirRows();
  void theDayCloseIsPrinted_data();
  void theDayCloseIsPrinted();
  void reviewsFromTheWindow_data();
  void reviewsFromTheWindow();
  void aServerThatDoesNotAnswerIsSaidOnTheWindow();
  void aLongCloseGoesOnOverPages();

 private:
  std::string database_;
  journal::TempFolder folder_;
};

// T01 (clerk_a) hands on 张三's and 李四's statements, T02 (clerk_b) 王五's.
void BranchHistoryTest::initTestCase() {
  database_ = branch::FreshBranch();
  const struct {
    const char* clerk;
    const char* file;
    std::vector<const char*> borrowers;
  } terminals[] = {{"clerk_a", "a.sqlite3", {"张三", "李四"}}, {"clerk_b", "b.sqlite3", {"王五"}}};
  for (const auto& terminal : terminals) {
    const auto path = folder_ / terminal.file;
    {
      auto journal = journal::OpenAt(path);
      for (const char* borrower : terminal.borrowers) {
        journal->RecordStatement({borrower, "JD-1", ""}, journal::SampleStatement(), {});
      }
    }
    auto journal = journal::OpenAt(path);
    branch::JoinBranch(*journal, branch::Conninfo(database_, terminal.clerk),
                       folder_ / (std::string(terminal.file) + ".key"));
  }
}

void BranchHistoryTest::filtersFindTheirRows_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("terminal");
  QTest::addColumn<QString>("clerk");
  QTest::addColumn<int>("review");
  QTest::addColumn<QStringList>("serials");
  const QStringList all{"2026-000001", "2026-000002", "2026-000001"};
  QTest::newRow("everything") << "" << "" << "" << 0 << all;
  QTest::newRow("one terminal") << "" << "T02" << "" << 0 << QStringList{"2026-000001"};
  QTest::newRow("one clerk") << "" << "" << "clerk_a" << 0
                             << QStringList{"2026-000002", "2026-000001"};
  QTest::newRow("borrower typed") << "李" << "" << "" << 0 << QStringList{"2026-000002"};
  QTest::newRow("pending review") << "" << "" << "" << 1 << all;
  QTest::newRow("none passed yet") << "" << "" << "" << 2 << QStringList{};
}

void BranchHistoryTest::filtersFindTheirRows() {
  QFETCH(QString, text);
  QFETCH(QString, terminal);
  QFETCH(QString, clerk);
  QFETCH(int, review);
  QFETCH(QStringList, serials);
  BranchHistoryWindow window(branch::Conninfo(database_, "supervisor_s"), nullptr);
  QCOMPARE(window.message()->text(), QString());
  window.filterText()->setText(text);
  if (!terminal.isEmpty()) window.terminal()->setCurrentIndex(window.terminal()->findData(terminal));
  if (!clerk.isEmpty()) window.clerk()->setCurrentIndex(window.clerk()->findData(clerk));
  window.review()->setCurrentIndex(review);
  QStringList found;
  for (int row = 0; row < window.model()->rowCount(); ++row) {
    found << QString::fromStdString(window.model()->row(row).serial);
  }
  // In any order: the statements were made within one second.
  std::sort(found.begin(), found.end());
  std::sort(serials.begin(), serials.end());
  QCOMPARE(found, serials);
}

// 日终汇总… previews the chosen terminal's close (the branch's for 全部终端);
// printed into a file, the page goes through the one writer: a PDF, or
// refused over the journal, named or linked to, and said on the line.
void BranchHistoryTest::theDayCloseIsPrinted_data() {
  QTest::addColumn<QString>("terminal");
  QTest::addColumn<QString>("file");       // printed into; "" a printer
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("statements");
  QTest::addColumn<QString>("said");       // part of the window's line
  QTest::newRow("the whole branch on paper") << "" << "" << "（全分行）" << "3" << "";
  QTest::newRow("one terminal into a PDF") << "T02" << "close.pdf" << "（T02）" << "1" << "";
  QTest::newRow("never over the journal") << "" << "a.sqlite3" << "（全分行）" << "3" << "日志";
  QTest::newRow("never through a link to the journal") << "" << "planted.pdf" << "（全分行）"
                                                      << "3" << "日志";
}

void BranchHistoryTest::theDayCloseIsPrinted() {
  QFETCH(QString, terminal);
  QFETCH(QString, file);
  QFETCH(QString, title);
  QFETCH(QString, statements);
  QFETCH(QString, said);
  const auto journalPath = folder_ / "a.sqlite3";
  const auto planted = folder_ / "planted.pdf";
  std::filesystem::remove(planted);
  std::filesystem::create_symlink(journalPath, planted);
  BranchHistoryWindow window(branch::Conninfo(database_, "supervisor_s"), nullptr,
                             {{{"日志", journalPath}}});
  if (!terminal.isEmpty()) window.terminal()->setCurrentIndex(window.terminal()->findData(terminal));
  // The day the range ends on: the tests' journals record on 2026-03-03.
  window.dateRange()->setChecked(true);
  window.toDate()->setDate(QDate(2026, 3, 3));
  const std::optional<branch::DayClose> close = window.dayClose();
  QVERIFY(close);
  QCOMPARE(QString::number(close->statements), statements);

  const QString path = file.isEmpty() ? QString() : QString::fromStdString((folder_ / file.toStdString()).string());
  const QString seenTitle = FromModal([&window] { window.printDayClose(); }, [&](QWidget* modal) {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
    if (!preview) return QString();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(path);
    if (!path.isEmpty()) emit preview->paintRequested(&printer);
    return preview->windowTitle();
  });
  QVERIFY2(seenTitle.endsWith(title), qPrintable(seenTitle));
  QVERIFY2(window.message()->text().contains(said), qPrintable(window.message()->text()));
  if (file == "close.pdf") {
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
  }
  // What was refused is as it was: the journal whole, the link a link.
  QVERIFY(std::filesystem::is_symlink(planted));
  QVERIFY(journal::OpenAt(journalPath)->CheckChain().intact);
}

void BranchHistoryTest::reviewsFromTheWindow_data() {
  QTest::addColumn<QString>("role");
  QTest::addColumn<int>("verdict");
  QTest::addColumn<QString>("reason");     // what the box for 退回 gives
  QTest::addColumn<QString>("column");     // the 复核 column afterwards
  QTest::addColumn<QString>("said");       // part of the window's line
  QTest::newRow("supervisor passes") << "supervisor_s" << 0 << "" << "通过 supervisor_s"
                                     << "已复核";
  QTest::newRow("supervisor sends back") << "supervisor_s" << 1 << "借据号有误"
                                         << "退回：借据号有误" << "已复核";
  QTest::newRow("sending back cancelled") << "supervisor_s" << 1 << "" << "待复核" << "";
  QTest::newRow("the maker is refused") << "clerk_b" << 0 << "" << "待复核" << "拒绝";
}

void BranchHistoryTest::reviewsFromTheWindow() {
  QFETCH(QString, role);
  QFETCH(int, verdict);
  QFETCH(QString, reason);
  QFETCH(QString, column);
  QFETCH(QString, said);
  // Each row reviews a statement of T02 made for it.
  const auto path = folder_ / "b.sqlite3";
  const std::string serial =
      journal::OpenAt(path)->RecordStatement({"赵六", "", ""}, journal::SampleStatement(), {}).serial;
  {
    auto journal = journal::OpenAt(path);
    branch::Branch clerk(branch::Conninfo(database_, "clerk_b"));
    branch::UploadPending(*journal, clerk, "T02");
  }
  BranchHistoryWindow window(branch::Conninfo(database_, role.toStdString()), nullptr);
  window.setReasonAsker([&reason](QWidget*, const QString&) { return reason; });
  window.filterText()->setText(QString::fromStdString(serial));
  QCOMPARE(window.model()->rowCount(), 1);
  window.table()->selectRow(0);
  window.reviewCurrent(static_cast<branch::Verdict>(verdict));
  QCOMPARE(QString::fromStdString(ReviewColumnText(window.model()->row(0))), column);
  QVERIFY2(window.message()->text().contains(said), qPrintable(window.message()->text()));
  // The statement shown carries the review on its 复核 line.
  const QString text = window.currentStatementText();
  QVERIFY2(text.contains(QStringLiteral("编号：%1").arg(QString::fromStdString(serial))),
           qPrintable(text));
  QCOMPARE(text.contains(QStringLiteral("复核：") + (verdict == 1 ? "退回" : "supervisor_s")),
           column != QStringLiteral("待复核"));
}

void BranchHistoryTest::aServerThatDoesNotAnswerIsSaidOnTheWindow() {
  BranchHistoryWindow window("host=/nonexistent-folder dbname=none", nullptr);
  QCOMPARE(window.model()->rowCount(), 0);
  QVERIFY2(window.message()->text().contains(QStringLiteral("连接不上")),
           qPrintable(window.message()->text()));
}

// A close of many terminals runs past one page: every row printed, none
// cut off at the foot.
void BranchHistoryTest::aLongCloseGoesOnOverPages() {
  journal::Table table;
  table.header = {"项目", "张数或次数", "金额（元）"};
  table.kinds = {journal::ColumnKind::kText, journal::ColumnKind::kCount,
                 journal::ColumnKind::kMoney};
  for (int row = 0; row < 200; ++row) table.rows.push_back({"终端 链头", std::to_string(row), ""});
  const auto path = folder_ / "long.pdf";
  WriteTablePdf("日终汇总", table, path, {});
  QFile pdf(QString::fromStdString(path.string()));
  QVERIFY(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  const int pages = bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") +
                    bytes.count("/Type /Page/") + bytes.count("/Type /Page>");
  QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::BranchHistoryTest)
#include "branch_history_test.moc"
