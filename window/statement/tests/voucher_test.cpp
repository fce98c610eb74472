// The statement as a clerk keeps it: dated when its figures were made, saved
// as a PDF under a name and in a folder the clerk expects, and shown in the
// faces a voucher and a dialog each call for.
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRawFont>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "app/app_setup.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"
#include "sans_font.h"
#include "statement/statement_menu.h"

namespace quillbary::testing {

namespace {
QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30'000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The face Qt draws Chinese text of `font` in, after every fallback.
QString ChineseFace(const QFont& font) {
  return QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese).familyName();
}

bool IsSongFace(const QString& family) {
  static const QStringList song = {
      "AR PL SungtiL GB",  "AR PL UMing CN",      "AR PL UMing TW", "SimSun", "NSimSun", "宋体",
      "Noto Serif CJK SC", "Source Han Serif SC", "Songti SC"};
  return song.contains(family, Qt::CaseInsensitive);
}

// HOME pointed at a folder of the test's own while it lives.
class TemporaryHome {
 public:
  TemporaryHome() : saved_(qgetenv("HOME")) { qputenv("HOME", folder_.path().toLocal8Bit()); }
  ~TemporaryHome() { qputenv("HOME", saved_); }
  QString path(const QString& name = {}) const {
    return name.isEmpty() ? folder_.path() : folder_.filePath(name);
  }

 private:
  QTemporaryDir folder_;
  QByteArray saved_;
};

void ForgetSettings() {
  QSettings(QSettings::IniFormat, QSettings::UserScope, "Quillbary", "quillbary").clear();
}
}  // namespace

class VoucherTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void datedWhenTheFiguresWereMade_data();
  void datedWhenTheFiguresWereMade();
  void pdfNameGetsItsSuffix_data();
  void pdfNameGetsItsSuffix();
  void pdfDialogStartsWhereTheClerkExpects_data();
  void pdfDialogStartsWhereTheClerkExpects();
  void printingToAFileSuggestsThePdfName();
  void printingToAFileGoesThroughTheWriter();
  void workingBoxShowsEveryLine_data();
  void workingBoxShowsEveryLine();
  void sansFaceOutsideThePage_data();
  void sansFaceOutsideThePage();
  void printedPageInTheSongFace();
};

void VoucherTest::initTestCase() {
  QVERIFY(SetUpApplication());
  // The remembered folder goes to a settings file of the tests' own.
  QStandardPaths::setTestModeEnabled(true);
}

void VoucherTest::datedWhenTheFiguresWereMade_data() {
  QTest::addColumn<QString>("where");
  QTest::newRow("working box") << "F1";
  QTest::newRow("copy") << "copy";
  QTest::newRow("PDF") << "PDF";
}

void VoucherTest::datedWhenTheFiguresWereMade() {
  QFETCH(QString, where);
  LocalMoment now = At(2009, 3, 1, 9, 5, 7);
  Form1 form([&now] { return now; });
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  Enter(form, WorkedExample());
  Click(form, "Command1");
  now = At(2009, 3, 1, 17, 45, 0);  // shown, copied or saved hours later

  QString text;
  QTemporaryDir folder;
  if (where == "F1") {
    text = FromModal([&form] { QTest::keyClick(&form, Qt::Key_F1); },
                     [](QWidget* box) { return box->findChild<QPlainTextEdit*>()->toPlainText(); });
  } else if (where == "copy") {
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    text = QApplication::clipboard()->mimeData()->text();
  } else {
    const QString path = folder.filePath("a.pdf");
    form.statementMenu()->setPathChooser([&](QWidget*, const QString&) { return path; });
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    text = Run("pdftotext", {path, "-"});
  }
  QVERIFY2(text.contains(QStringLiteral("2009-03-01 09:05:07")), qPrintable(text));
  QVERIFY(!text.contains(QStringLiteral("17:45")));
}

void VoucherTest::pdfNameGetsItsSuffix_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("saved");
  QTest::newRow("a name alone") << "张三"
                                << "张三.pdf";
  QTest::newRow("a name with a period") << "2009.01"
                                        << "2009.01.pdf";
  QTest::newRow("the suffix typed") << "张三.pdf"
                                    << "张三.pdf";
  QTest::newRow("the suffix in capitals") << "张三.PDF"
                                          << "张三.PDF";
}

void VoucherTest::pdfNameGetsItsSuffix() {
  QFETCH(QString, typed);
  QFETCH(QString, saved);
  ForgetSettings();
  Form1& form = shown();
  BoxCatcher catcher;
  QTemporaryDir folder;
  form.statementMenu()->setPathChooser(
      [&](QWidget*, const QString&) { return folder.filePath(typed); });
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);

  QCOMPARE(catcher.caught, QList<CaughtBox>{});
  QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{saved});
  QVERIFY(Run("pdfinfo", {folder.filePath(saved)}).contains(QStringLiteral("Pages:")));
}

void VoucherTest::pdfDialogStartsWhereTheClerkExpects_data() {
  QTest::addColumn<bool>("documents");     // the home folder has a Documents folder
  QTest::addColumn<QString>("savedInto");  // a first PDF saved there, under the home folder
  QTest::addColumn<bool>("restart");       // the next PDF from a new window
  QTest::addColumn<QString>("startsIn");   // the folder offered next, under the home folder
  QTest::newRow("the documents folder") << true << "" << false << "Documents";
  QTest::newRow("home without a documents folder") << false << "" << false << "";
  QTest::newRow("the folder last used") << true << "账/2009" << false << "账/2009";
  QTest::newRow("the folder last used, after a restart") << true << "账/2009" << true << "账/2009";
  QTest::newRow("the folder last used, since removed") << true << "gone" << false << "Documents";
}

void VoucherTest::pdfDialogStartsWhereTheClerkExpects() {
  QFETCH(bool, documents);
  QFETCH(QString, savedInto);
  QFETCH(bool, restart);
  QFETCH(QString, startsIn);
  ForgetSettings();
  TemporaryHome home;
  if (documents) QVERIFY(QDir(home.path()).mkpath("Documents"));

  auto form = std::make_unique<Form1>(FixedClock());
  form->show();
  QVERIFY(QTest::qWaitForWindowActive(form.get()));
  BoxCatcher catcher;
  Enter(*form, WorkedExample());
  Click(*form, "Command1");
  if (!savedInto.isEmpty()) {
    QVERIFY(QDir(home.path()).mkpath(savedInto));
    form->statementMenu()->setPathChooser(
        [&](QWidget*, const QString&) { return home.path(savedInto + "/first"); });
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFile::exists(home.path(savedInto + "/first.pdf")));
    if (savedInto == "gone") QVERIFY(QDir(home.path(savedInto)).removeRecursively());
  }
  if (restart) {
    form = std::make_unique<Form1>(FixedClock());
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    Enter(*form, WorkedExample());
    Click(*form, "Command1");
  }
  QString offered;
  form->statementMenu()->setPathChooser([&](QWidget*, const QString& suggested) {
    offered = suggested;
    return QString();  // cancelled
  });
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);

  QCOMPARE(offered,
           QDir(home.path(startsIn)).filePath(QStringLiteral("计息单-20090301-090507.pdf")));
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
}

void VoucherTest::printingToAFileSuggestsThePdfName() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");
  const QString name =
      FromModal([&form] { QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier); },
                [](QWidget* modal) {
                  auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
                  return preview ? preview->printer()->docName() : QString();
                });
  QCOMPARE(name, QStringLiteral("计息单-20090301-090507"));
}

// A page printed to a file is written as a PDF is: whole, in a new file
// renamed over the old rather than written into it, through a link to the
// file it points at, the link left a link, and the printer opening nothing.
void VoucherTest::printingToAFileGoesThroughTheWriter() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QTemporaryDir folder;
  QFile(folder.filePath("page.pdf")).open(QIODevice::WriteOnly);
  QVERIFY(QFile::link(QStringLiteral("page.pdf"), folder.filePath("link.pdf")));
  const auto inode = [&folder] {
    struct stat info {};
    ::stat(QFile::encodeName(folder.filePath("page.pdf")).constData(), &info);
    return info.st_ino;
  };
  const ino_t before = inode();
  FromModal([&form] { QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier); },
            [&folder](QWidget* modal) {
              auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
              if (!preview) return QString();
              QPrinter printer(QPrinter::HighResolution);
              printer.setOutputFileName(folder.filePath("link.pdf"));
              emit preview->paintRequested(&printer);
              return QStringLiteral("printed");
            });
  QVERIFY(QFileInfo(folder.filePath("link.pdf")).isSymLink());
  QVERIFY(inode() != before);
  const QString text = Run("pdftotext", {folder.filePath("page.pdf"), QStringLiteral("-")});
  QVERIFY2(text.contains(QStringLiteral("561.98")), qPrintable(text));
  QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           (QStringList{QStringLiteral("link.pdf"), QStringLiteral("page.pdf")}));
}

void VoucherTest::workingBoxShowsEveryLine_data() {
  QTest::addColumn<QString>("amount");
  QTest::newRow("worked example") << "10000";
  QTest::newRow("with the line of the interests as shown") << "15000";
}

void VoucherTest::workingBoxShowsEveryLine() {
  QFETCH(QString, amount);
  Form1& form = shown();
  Inputs inputs = WorkedExample();
  inputs.amount = amount;
  Enter(form, inputs);
  Click(form, "Command1");
  const QString scrolls =
      FromModal([&form] { QTest::keyClick(&form, Qt::Key_F1); },
                [](QWidget* box) {
                  auto* view = box->findChild<QPlainTextEdit*>();
                  return QStringLiteral("%1 %2").arg(
                      view->verticalScrollBar()->isVisible() ? "vertical" : "",
                      view->horizontalScrollBar()->isVisible() ? "horizontal" : "");
                });
  QCOMPARE(scrolls.trimmed(), QString());
}

void VoucherTest::sansFaceOutsideThePage_data() {
  QTest::addColumn<QString>("where");
  QTest::newRow("statement menu") << "menu";
  QTest::newRow("tips") << "tip";
  QTest::newRow("warning box") << "warning";
  QTest::newRow("a field's own menu") << "field menu";
  QTest::newRow("working box") << "working";
  QTest::newRow("print preview") << "preview";
}

void VoucherTest::sansFaceOutsideThePage() {
  QFETCH(QString, where);
  Form1& form = shown();
  const auto face = [](QWidget* modal) { return ChineseFace(modal->font()); };
  QString family;
  if (where == "menu") {
    family = ChineseFace(form.statementMenu()->menu()->font());
  } else if (where == "tip") {
    family = ChineseFace(QToolTip::font());
  } else if (where == "field menu") {
    const std::unique_ptr<QMenu> menu(
        qobject_cast<QLineEdit*>(form.control("hkje"))->createStandardContextMenu());
    menu->ensurePolished();  // as when it shows
    family = ChineseFace(menu->font());
  } else if (where == "warning") {
    family = FromModal([&form] { Click(form, "Command1"); }, face);  // no amount: a warning
  } else {
    Enter(form, WorkedExample());
    Click(form, "Command1");
    family =
        where == "working"
            ? FromModal([&form] { QTest::keyClick(&form, Qt::Key_F1); },
                        [](QWidget* box) {
                          return ChineseFace(box->findChild<QPlainTextEdit*>()->font());
                        })
            : FromModal([&form] { QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier); }, face);
  }
  QVERIFY2(!family.isEmpty(), "no face resolved");
  QVERIFY2(!IsSongFace(family), qPrintable(family));
  // One sans face for all of them, not the face of the window's fields.
  QCOMPARE(family, ChineseFace(SansFont()));
}

void VoucherTest::printedPageInTheSongFace() {
  Form1& form = shown();
  QTemporaryDir folder;
  const QString path = folder.filePath("page.pdf");
  form.statementMenu()->setPathChooser([&](QWidget*, const QString&) { return path; });
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
  // AR PL SungtiL GB embeds under its PostScript name, BousungEG-Light-GB.
  const QString fonts = Run("pdffonts", {path});
  QVERIFY2(fonts.contains(QStringLiteral("Bousung")), qPrintable(fonts));
  QVERIFY2(!fonts.contains(QStringLiteral("Sans")), qPrintable(fonts));
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::VoucherTest)
#include "voucher_test.moc"
