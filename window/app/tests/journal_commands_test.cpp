// --check-journal and --export-journal on journals made for each row: the
// status, the one line said, and that nothing but the export is written.
#include "app/journal_commands.h"

#include <sqlite3.h>

#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "quillbary/calculate.h"
#include "quillbary/journal.h"

namespace quillbary {
namespace {

Statement SampleStatement() {
  FieldValues f;
  f.jkrq = f.qxrq = std::chrono::year{2009} / 1 / 1;
  f.dqrq = std::chrono::year{2009} / 7 / 1;
  f.hkrq = std::chrono::year{2009} / 9 / 30;
  f.hkje = "10000";
  f.ll = "5.31";
  f.zjlx = true;
  Calculate(f, [](std::string_view) {});
  return *MakeStatement(f, "2026-03-03 09:59:00");
}

// Three statements, then `tamper` run on the file as SQL (triggers dropped).
void MakeJournal(const std::string& path, const std::string& tamper) {
  journal::JournalOptions options;
  options.clock = [] { return std::string("2026-03-03 10:00:00"); };
  {
    auto journal = journal::Journal::Open(path, options);
    for (const char* borrower : {"张三", "李四", "王五"}) {
      journal->RecordStatement({borrower, "", ""}, SampleStatement(),
                               {journal::HandOnKind::kCopy, ""});
    }
  }
  if (tamper.empty()) return;
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  const std::string sql =
      "DROP TRIGGER entries_never_change; DROP TRIGGER entries_never_go; " + tamper;
  QCOMPARE(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

}  // namespace

class JournalCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void answers_data();
  void answers();
  void exportNeverOverwritesTheJournal();
};

void JournalCommandsTest::answers_data() {
  QTest::addColumn<QString>("file");    // "journal", or text written as the file
  QTest::addColumn<QString>("tamper");  // SQL run on the journal
  QTest::addColumn<QString>("command");
  QTest::addColumn<int>("status");
  QTest::addColumn<QString>("said");  // the start of what out (or err) says

  QTest::newRow("intact") << "journal"
                          << ""
                          << "--check-journal" << 0 << "日志完好：共 3 条";
  QTest::newRow("a figure changed")
      << "journal"
      << "UPDATE entries SET figures = replace(figures, '561.98', '561.99') WHERE seq = 2"
      << "--check-journal" << 1 << "日志有误：第 2 条（编号 2026-000002）";
  QTest::newRow("an entry removed")
      << "journal"
      << "DELETE FROM entries WHERE seq = 1"
      << "--check-journal" << 1 << "日志有误：第 2 条（编号 2026-000002）";
  QTest::newRow("exported") << "journal"
                            << ""
                            << "--export-journal" << 0 << "已导出 3 条到 ";
  QTest::newRow("exported even when tampered") << "journal"
                                               << "UPDATE entries SET borrower = 'x' WHERE seq = 3"
                                               << "--export-journal" << 0 << "已导出 3 条到 ";
  QTest::newRow("check of a text file") << "hello"
                                        << ""
                                        << "--check-journal" << 3 << "quillbary: ";
  QTest::newRow("export of a text file") << "hello"
                                         << ""
                                         << "--export-journal" << 3 << "quillbary: ";
}

void JournalCommandsTest::answers() {
  QFETCH(QString, file);
  QFETCH(QString, tamper);
  QFETCH(QString, command);
  QFETCH(int, status);
  QFETCH(QString, said);

  QTemporaryDir folder;
  const std::string path = folder.filePath("journal.sqlite3").toStdString();
  const std::string csv = folder.filePath("out.csv").toStdString();
  if (file == "journal") {
    MakeJournal(path, tamper.toStdString());
  } else {
    std::ofstream(path) << file.toStdString();
  }

  const std::string commandText = command.toStdString();
  std::vector<const char*> args = {commandText.c_str()};
  if (command == "--export-journal") args.push_back(csv.c_str());
  args.insert(args.end(), {"--journal", path.c_str()});
  const JournalCommandLine line = TakeJournalOptions(args);
  std::ostringstream out, err;
  QCOMPARE(AnswerJournalCommand(line, args, out, err), std::optional<int>(status));

  const std::string answer = status == 3 ? err.str() : out.str();
  QVERIFY2(answer.starts_with(said.toStdString()), answer.c_str());
  QCOMPARE(std::count(answer.begin(), answer.end(), '\n'), 1);
  QVERIFY2(answer.find(status == 3 ? path : "") != std::string::npos, "names the journal");
  QCOMPARE(QFile::exists(QString::fromStdString(csv)),
           command == "--export-journal" && status == 0);
}

void JournalCommandsTest::exportNeverOverwritesTheJournal() {
  QTemporaryDir folder;
  const std::string path = folder.filePath("journal.sqlite3").toStdString();
  MakeJournal(path, "");
  std::ifstream before(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(before), {}};
  std::vector<const char*> args = {"--export-journal", path.c_str(), "--journal", path.c_str()};
  const JournalCommandLine line = TakeJournalOptions(args);
  std::ostringstream out, err;
  QCOMPARE(AnswerJournalCommand(line, args, out, err), std::optional<int>(2));
  std::ifstream after(path, std::ios::binary);
  QVERIFY(std::string(std::istreambuf_iterator<char>(after), {}) == bytes);
}

}  // namespace quillbary

QTEST_APPLESS_MAIN(quillbary::JournalCommandsTest)
#include "journal_commands_test.moc"
