#include "journal/journal_desk.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>

#include "batch/batch_runner.h"
#include "journal/delivery.h"
#include "journal/history_window.h"
#include "journal/statement_box.h"
#include "journal/void_reason_box.h"
#include "message_boxes.h"
#include "qt_text.h"
#include "quillbary/handed_statement.h"
#include "quillbary/journal_export.h"
#include "statement/pdf_destination.h"
#include "statement/statement_page.h"

namespace quillbary {
namespace {

constexpr const char* kClerkKey = "journal/clerk";
const QString kBatchNotRecorded = QStringLiteral("批量计算未能记入日志，因此结果没有保存。");
const QString kBatchNotStarted = QStringLiteral("日志无法打开，批量计算无从记录，因此没有开始。");

QSettings Settings() {
  return QSettings(QStringLiteral("Quillbary"), QStringLiteral("Quillbary"));
}

journal::HandOnKind KindOf(StatementMenu::HandOnWay way) {
  switch (way) {
    case StatementMenu::HandOnWay::kCopy:
      return journal::HandOnKind::kCopy;
    case StatementMenu::HandOnWay::kPrint:
      return journal::HandOnKind::kPrint;
    case StatementMenu::HandOnWay::kPdf:
      return journal::HandOnKind::kPdf;
  }
  return journal::HandOnKind::kNone;
}

QString DefaultFileChooser(QWidget* parent, const QString& title, const QString& suggested,
                           const QString& filter) {
  return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

}  // namespace

JournalDesk::JournalDesk(QWidget* window, StatementMenu* menu, JournalChoice choice,
                         std::string programVersion)
    : QObject(window),
      window_(window),
      menu_(menu),
      choice_(std::move(choice)),
      programVersion_(std::move(programVersion)),
      chooseFile_(DefaultFileChooser),
      tell_([window](const QString& title, const QString& text) {
        ShowFailure(window, title, text);
      }),
      askReason_(AskVoidReason) {
  header_.clerk = Settings().value(kClerkKey).toString().toStdString();
  menu_->setRecorder(
      [this](const Statement& s, StatementMenu::HandOnWay way, const QString& pdf,
             const StatementMenu::Deliver& deliver) { return record(s, way, pdf, deliver); });
  menu_->setBoxShower([this](const Statement& s) { showCurrent(s); });
  menu_->setPreviewer(
      [this](const Statement& s) { return journal::HandedStatement(s, header_, currentSerial()); });
  menu_->batchRunner()->setRecorder(
      [this](const journal::BatchRunRecord& run, const std::function<void()>& putInPlace) {
        return recordBatchRun(run, putInPlace);
      },
      [this] { return choice_.disabled || openJournal(kBatchNotStarted) != nullptr; },
      [this] { return keptFiles(); });
  menu_->setKeptFiles([this] { return keptFiles(); });
  // New figures (开始计算), none (清空, an input changed): a new statement,
  // with a new borrower and loan number to fill in.
  connect(menu_, &StatementMenu::figuresChanged, this, [this] {
    serial_.reset();
    header_.borrower.clear();
    header_.loanNumber.clear();
  });

  historyAction_ = menu_->menu()->addAction(QStringLiteral("历史记录…"));
  historyAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  historyAction_->setShortcutContext(Qt::WindowShortcut);
  window_->addAction(historyAction_);
  connect(historyAction_, &QAction::triggered, this, &JournalDesk::showHistory);
}

JournalDesk::~JournalDesk() = default;

void JournalDesk::setHeader(const journal::StatementHeader& header) {
  if (header.clerk != header_.clerk) {
    Settings().setValue(kClerkKey, QString::fromStdString(header.clerk));
  }
  header_ = header;
}

journal::Journal* JournalDesk::journal() {
  return openJournal(kStatementNotRecorded);
}

void JournalDesk::keepReviews(const std::vector<journal::BranchReview>& reviews) {
  if (choice_.disabled) return;
  try {
    if (!journal_) {
      journal::JournalOptions options;
      options.programVersion = programVersion_;
      journal_ = journal::Journal::Open(choice_.path, options);
    }
    journal_->KeepReviews(reviews);
  } catch (const journal::JournalError&) {
    return;
  }
  if (history_ != nullptr && history_->isVisible()) history_->reload();
}

journal::Journal* JournalDesk::openJournal(const QString& whatFails) {
  if (choice_.disabled) {
    tell(QStringLiteral("没有日志"), QStringLiteral("本次以 --no-journal 启动，不记日志。"));
    return nullptr;
  }
  if (journal_) return journal_.get();
  try {
    journal::JournalOptions options;
    options.programVersion = programVersion_;
    journal_ = journal::Journal::Open(choice_.path, options);
  } catch (const journal::JournalError& error) {
    tellJournalError(error, whatFails);
  }
  return journal_.get();
}

void JournalDesk::tellJournalError(const journal::JournalError& error, const QString& what) const {
  tell(QStringLiteral("无法记入日志"),
       QStringLiteral("%1\n\n日志：%2\n原因：%3")
           .arg(what, QDir::toNativeSeparators(TextOf(error.path)),
                ToQString(error.reason)));
}

std::optional<Statement> JournalDesk::record(const Statement& statement,
                                             StatementMenu::HandOnWay way, const QString& pdfPath,
                                             const StatementMenu::Deliver& deliver) {
  if (choice_.disabled) {
    Statement handed = journal::HandedStatement(statement, header_, "");
    if (deliver && !deliver(handed).isEmpty()) return std::nullopt;
    return handed;
  }
  journal::Journal* open = journal();
  if (!open) return std::nullopt;
  const journal::HandOn handOn{KindOf(way), pdfPath.toStdString()};
  Delivery delivery(deliver);
  const journal::Journal::BeforeCommit made =
      delivery.makeFileFirst([&](const std::string& serial) {
        return journal::HandedStatement(statement, header_, serial);
      });
  try {
    // The same figures with the same header are one statement, handed on again.
    if (serial_ && serialHeader_ == header_) {
      open->RecordHandOnAgain(*serial_, handOn, made);
    } else if (!refusal_.isEmpty()) {
      tell(QStringLiteral("无法记入日志"), QStringLiteral("%1\n\n%2").arg(kStatementNotRecorded, refusal_));
      return std::nullopt;
    } else {
      serial_ = open->RecordStatement(header_, statement, handOn, made).serial;
      serialHeader_ = header_;
    }
  } catch (const NotDelivered&) {
    return std::nullopt;
  } catch (const journal::JournalError& error) {
    tellJournalError(error, kStatementNotRecorded);
    return std::nullopt;
  }
  emit journalChanged();
  return journal::HandedStatement(statement, header_, *serial_);
}

files::WriteOptions JournalDesk::keptFiles() const {
  if (journal_) return journal::KeptBy(*journal_);
  // Not opened yet (it opens with the first hand-on): its files by name.
  files::WriteOptions kept;
  if (choice_.disabled || choice_.path.empty()) return kept;
  for (const char* suffix : {"", "-wal", "-shm"}) {
    kept.kept.push_back({"日志", std::filesystem::path(choice_.path) += suffix});
  }
  return kept;
}

std::string JournalDesk::currentSerial() const {
  return serial_ && serialHeader_ == header_ ? *serial_ : std::string();
}

void JournalDesk::showCurrent(const Statement& statement) {
  auto* box = new StatementBox(window_, StatementBox::Mode::kCurrent);
  box->setStatement(statement, header_, serial_ ? *serial_ : "");
  connect(box, &StatementBox::headerEdited, this, [this, box, statement] {
    setHeader(box->header());
    box->setStatement(statement, header_, currentSerial());
  });
  connect(box, &StatementBox::copyClicked, menu_, &StatementMenu::copy);
  connect(box, &StatementBox::printClicked, menu_, &StatementMenu::print);
  connect(box, &StatementBox::pdfClicked, menu_, &StatementMenu::exportPdf);
  // The box shows the 编号 as soon as the first hand-on has one.
  connect(this, &JournalDesk::journalChanged, box, [this, box, statement] {
    box->setStatement(statement, header_, serial_ ? *serial_ : "");
  });
  box->open();
}

void JournalDesk::showRecorded(const std::string& serial) {
  journal::Journal* open = journal();
  if (!open) return;
  std::optional<journal::Entry> entry;
  try {
    entry = open->FindStatement(serial);
  } catch (const journal::JournalError& error) {
    tellJournalError(error, kStatementNotRecorded);
    return;
  }
  if (!entry) return;
  auto* box = new StatementBox(history_ ? static_cast<QWidget*>(history_) : window_,
                               StatementBox::Mode::kRecorded);
  box->setStatement(entry->statement, entry->header, serial);
  showRecord(box, serial);
  connect(box, &StatementBox::reprintChosen, this,
          [this, serial](StatementMenu::HandOnWay way) { reprint(serial, way); });
  connect(box, &StatementBox::copyClicked, this,
          [this, serial] { reprint(serial, StatementMenu::HandOnWay::kCopy); });
  connect(box, &StatementBox::voidClicked, this, [this, serial] { voidStatement(serial); });
  // A void or reprint, from this box or any other, shows at once.
  connect(this, &JournalDesk::journalChanged, box,
          [this, box, serial] { showRecord(box, serial); });
  box->open();
}

void JournalDesk::showRecord(StatementBox* box, const std::string& serial) {
  if (!journal_) return;
  try {
    if (const std::optional<journal::StatementSummary> summary = journal_->Summary(serial)) {
      box->setRecord(*summary, journal_->FindVoid(serial));
    }
  } catch (const journal::JournalError& error) {
    tellJournalError(error, kStatementNotRecorded);
  }
}

bool JournalDesk::recordBatchRun(const journal::BatchRunRecord& run,
                                 const std::function<void()>& putInPlace) {
  if (choice_.disabled) return true;
  journal::Journal* open = openJournal(kBatchNotRecorded);
  if (!open) return false;
  try {
    open->RecordBatchRun(run, [&](const journal::Entry&) { putInPlace(); });
  } catch (const journal::JournalError& error) {
    tellJournalError(error, kBatchNotRecorded);
    return false;
  }
  emit journalChanged();
  return true;
}

void JournalDesk::showHistory() {
  if (!journal()) return;
  if (!history_) {
    history_ = new HistoryWindow(this, window_);
    connect(this, &JournalDesk::journalChanged, history_, &HistoryWindow::reload);
    connect(history_, &HistoryWindow::exported, this, &JournalDesk::saved);
  }
  history_->show();
  history_->raise();
  history_->activateWindow();
}

}  // namespace quillbary
