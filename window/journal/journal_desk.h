// The window's journal: it numbers and records every statement handed on
// before it goes, keeps the header lines a clerk fills in, and opens the
// history. The journal file is opened on the first hand-on or the first look
// at the history, so that start-up does not wait for it.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "quillbary/journal.h"
#include "quillbary/safe_file.h"
#include "statement/statement_menu.h"

class QAction;
class QWidget;

namespace quillbary {

class HistoryWindow;
class StatementBox;
class StatementPdf;

struct JournalChoice {
  std::filesystem::path path;
  bool disabled = false;  // --no-journal: statements go unrecorded and unnumbered
};

class JournalDesk : public QObject {
  Q_OBJECT

 public:
  // Where a file is to be saved; empty to cancel.
  using FileChooser = std::function<QString(QWidget* parent, const QString& title,
                                            const QString& suggested, const QString& filter)>;
  // A refusal or failure the clerk must read (the journal cannot be opened, ...).
  using Teller = std::function<void(const QString& title, const QString& text)>;
  // The reason a statement is voided; empty to cancel.
  using ReasonAsker = std::function<QString(QWidget* parent, const QString& serial)>;

  JournalDesk(QWidget* window, StatementMenu* menu, JournalChoice choice,
              std::string programVersion);
  ~JournalDesk() override;

  // The lines above the figures; 经办人 is remembered between runs.
  const journal::StatementHeader& header() const { return header_; }
  void setHeader(const journal::StatementHeader& header);
  // The 编号 the figures on screen were recorded under, if handed on yet.
  const std::optional<std::string>& serial() const { return serial_; }
  bool disabled() const { return choice_.disabled; }

  // The journal, opened now if need be; nullptr (having told why) when it
  // cannot be opened or there is none.
  journal::Journal* journal();

  void showHistory();  // 历史记录…
  HistoryWindow* history() const { return history_; }
  QAction* historyAction() const { return historyAction_; }

  // A recorded statement, from the history: the statement box, read-only.
  void showRecorded(const std::string& serial);
  // 补打 by print, PDF or copy; 作废 with a reason asked. False when refused
  // or cancelled; a voided statement is refused before anything is asked.
  // A reprint by print is recorded when the page is sent, not when the
  // preview opens.
  bool reprint(const std::string& serial, StatementMenu::HandOnWay way);
  bool voidStatement(const std::string& serial);
  // A batch run whose results are about to be saved, put in place by
  // putInPlace() inside the entry's transaction; false (having told why)
  // when the journal cannot take it. With --no-journal, true and unrecorded
  // (the caller then puts the results in place itself).
  bool recordBatchRun(const journal::BatchRunRecord& run, const std::function<void()>& putInPlace);

  void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  void setTeller(Teller teller) { tell_ = std::move(teller); }
  void setReasonAsker(ReasonAsker asker) { askReason_ = std::move(asker); }
  FileChooser fileChooser() const { return chooseFile_; }
  void tell(const QString& title, const QString& text) const { tell_(title, text); }

  // While `why` is not empty, no new 编号 is handed out: a statement not yet
  // numbered is refused, with `why` told (a terminal's journal found behind
  // what the branch's server holds of it, which would give numbers twice).
  // Handing a numbered statement on again, reprints and voids go on.
  void refuseNewSerials(const QString& why) { refusal_ = why; }
  // Keeps the branch's reviews of this terminal's statements, for the
  // history and reprints; an open history shows them at once. A journal that
  // cannot take them now is left alone, without a box: the next start asks
  // the server for them again.
  void keepReviews(const std::vector<journal::BranchReview>& reviews);
  // How the history opens the branch's history of a terminal's branch (its
  // connection string) and the files a page it writes may never replace (the
  // journal's); unset where the program has no branch client, and then the
  // history offers none.
  using BranchHistoryOpener = std::function<void(
      const std::string& conninfo, const files::WriteOptions& kept, QWidget* parent)>;
  void setBranchHistoryOpener(BranchHistoryOpener opener) { openBranch_ = std::move(opener); }
  // What no file the window writes may replace: the journal, its -wal and
  // -shm (by name while the journal is not open yet).
  files::WriteOptions keptFiles() const;
  const BranchHistoryOpener& branchHistoryOpener() const { return openBranch_; }

 signals:
  void journalChanged();  // an entry was added
  void saved(const QString& path);  // the history's rows were exported to `path`

 private:
  // journal(), telling `whatFails` with the reason when it cannot be opened.
  journal::Journal* openJournal(const QString& whatFails);
  std::optional<Statement> record(const Statement& statement, StatementMenu::HandOnWay way,
                                  const QString& pdfPath, const StatementMenu::Deliver& deliver);
  void showCurrent(const Statement& statement);
  // The 编号 the figures on screen carry when handed on again with the
  // header as it stands, or empty.
  std::string currentSerial() const;
  // Shows a recorded statement's state in its box, as the journal has it now.
  void showRecord(StatementBox* box, const std::string& serial);
  // Tells `title` and true when the statement is voided (or cannot be read).
  bool refusedAsVoided(journal::Journal& journal, const std::string& serial,
                       const QString& title) const;
  // Records a reprint of `handed`, made by `deliver` first when given.
  bool recordReprint(const std::string& serial, const Statement& handed,
                     const journal::HandOn& handOn, const StatementMenu::Deliver& deliver);
  // Puts a reprint's PDF in place, not yet kept; the failure's text, told to
  // the clerk, or empty.
  QString writePdf(StatementPdf& pdf, const Statement& statement, const QString& path) const;
  // `what` did not go into the journal: "计息单未能记入日志，因此不能交付。".
  void tellJournalError(const journal::JournalError& error, const QString& what) const;

  QWidget* window_;
  StatementMenu* menu_;
  JournalChoice choice_;
  std::string programVersion_;
  std::unique_ptr<journal::Journal> journal_;
  journal::StatementHeader header_;
  std::optional<std::string> serial_;
  QString refusal_;
  BranchHistoryOpener openBranch_;
  journal::StatementHeader serialHeader_;  // the header serial_ was recorded with
  HistoryWindow* history_ = nullptr;
  QAction* historyAction_ = nullptr;
  FileChooser chooseFile_;
  Teller tell_;
  ReasonAsker askReason_;
};

}  // namespace quillbary
