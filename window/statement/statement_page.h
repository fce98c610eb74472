// The interest statement as the page, the table and the file a clerk hands on.
#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "quillbary/safe_file.h"
#include "quillbary/statement.h"

class QPrintPreviewDialog;
class QPrinter;
class QWidget;

namespace quillbary {

// One HTML table of 项目 and 值 under the title: a spreadsheet or word
// processor pastes it as a table, and it prints as the statement's page.
QString StatementHtml(const Statement& statement);

// A statement's one-page A4 PDF, put in place at its path through the
// program's one writer (safe_file.h) but not yet kept, so that a hand-on can
// be recorded around it: destroyed before Keep(), it puts back what was at
// the path, or takes the new file away.
class StatementPdf {
 public:
  StatementPdf();
  ~StatementPdf();
  StatementPdf(const StatementPdf&) = delete;
  StatementPdf& operator=(const StatementPdf&) = delete;

  // Writes the page and puts it in place: an empty text, or what went wrong
  // (and then the path is as it was). Never over what `kept` names (the
  // journal).
  QString place(const Statement& statement, const QString& path,
                const files::WriteOptions& kept = {});
  void keep();

 private:
  std::unique_ptr<files::SafeFile> file_;
};

// What the print dialog does with the page. The preview shows `preview`;
// when the page goes to a printer or into a file, `send` is asked first and
// gives the statement that goes (numbered and recorded), or nothing, and then
// nothing is printed. A page printed to a file is written by the writer it is
// handed (`file` is then its path, empty for a printer) before the hand-on is
// kept, and is kept with it. A cancelled preview or print dialog asks nothing.
struct PrintJob {
  using PageWriter = std::function<QString(const Statement& numbered)>;
  Statement preview;
  std::function<std::optional<Statement>(const QString& file, const PageWriter& write)> send;
  files::WriteOptions kept;  // what a file printed to may never replace: the journal
};

// One paintRequested of the print preview on `target`: a preview pass paints
// `job.preview`; any other pass sends the page as PrintJob says. A test
// sends a page by emitting the preview's paintRequested with a printer of its
// own, printing into a file.
void PaintRequested(const PrintJob& job, QPrinter& target, QWidget* parent);

// The print dialog with a preview of the page, opened large enough that its
// toolbar shows every button, print included. Printing to a file suggests
// `fileName` (without a folder or .pdf) as the file's name.
void PrintStatement(const PrintJob& job, const QString& fileName, QWidget* parent);

// The size the preview opens at: room for a page, and at least its toolbar's
// full width; never beyond the screen.
QSize PreviewSize(const QPrintPreviewDialog& preview);

}  // namespace quillbary
