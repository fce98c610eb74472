// The interest statement as the page, the table and the file a clerk hands on.
#pragma once

#include <memory>

#include <QSize>
#include <QString>

#include "quillbary/statement.h"

class QPrintPreviewDialog;
class QWidget;

namespace quillbary {

namespace files {
class SafeFile;
}

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
  // (and then the path is as it was).
  QString place(const Statement& statement, const QString& path);
  void keep();

 private:
  std::unique_ptr<files::SafeFile> file_;
};

// Writes the statement as a one-page A4 PDF at `path`, all at once: the file
// is either the whole PDF or left as it was. Returns an empty text, or what
// went wrong.
QString WriteStatementPdf(const Statement& statement, const QString& path);

// The print dialog with a preview of the page, opened large enough that its
// toolbar shows every button, print included. Printing to a file suggests
// `fileName` (without a folder or .pdf) as the file's name.
void PrintStatement(const Statement& statement, const QString& fileName, QWidget* parent);

// The size the preview opens at: room for a page, and at least its toolbar's
// full width; never beyond the screen.
QSize PreviewSize(const QPrintPreviewDialog& preview);

}  // namespace quillbary
