// The journal desk's commands on a statement already recorded: 补打 (by
// copy, print or PDF, recorded with the file it makes) and 作废…, both
// refused for a statement already voided before anything is asked.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "journal/delivery.h"
#include "journal/journal_desk.h"
#include "qt_text.h"
#include "quillbary/handed_statement.h"
#include "statement/pdf_destination.h"
#include "statement/statement_page.h"

namespace quillbary {

bool JournalDesk::refusedAsVoided(journal::Journal& journal, const std::string& serial,
                                  const QString& title) const {
  try {
    const std::optional<journal::StatementSummary> summary = journal.Summary(serial);
    if (!summary || !summary->voided) return false;
  } catch (const journal::JournalError& error) {
    tell(title, ToQString(error.reason));
    return true;
  }
  tell(title, QStringLiteral("编号为 %1 的计息单已作废。").arg(ToQString(serial)));
  return true;
}

bool JournalDesk::reprint(const std::string& serial, StatementMenu::HandOnWay way) {
  journal::Journal* open = journal();
  if (!open || refusedAsVoided(*open, serial, QStringLiteral("不能补打"))) return false;
  Statement handed;
  try {
    const std::optional<journal::Entry> original = open->FindStatement(serial);
    if (!original) return false;
    handed = journal::HandedStatement(original->statement, original->header, serial,
                                      original->recordedAt, open->LatestReview(serial));
  } catch (const journal::JournalError& error) {
    tellJournalError(error, kStatementNotRecorded);
    return false;
  }
  const QString name = QStringLiteral("计息单-%1-补打").arg(ToQString(serial));
  switch (way) {
    case StatementMenu::HandOnWay::kCopy: {
      if (!recordReprint(serial, handed, {journal::HandOnKind::kCopy, ""}, {})) return false;
      auto* data = new QMimeData;
      data->setText(ToQString(StatementText(handed)));
      data->setHtml(StatementHtml(handed));
      QApplication::clipboard()->setMimeData(data);
      return true;
    }
    case StatementMenu::HandOnWay::kPrint: {
      bool sent = false;
      const PrintJob job{handed, [&](const QString& file, const PrintJob::PageWriter& write) {
                           sent = recordReprint(serial, handed,
                                                {journal::HandOnKind::kPrint, file.toStdString()},
                                                write);
                           return sent ? std::optional(handed) : std::nullopt;
                         },
                         keptFiles()};
      PrintStatement(job, name, window_);
      return sent;
    }
    case StatementMenu::HandOnWay::kPdf: {
      QString path = chooseFile_(window_, QStringLiteral("补打 PDF"),
                                 DocumentsPath(name + QStringLiteral(".pdf")),
                                 QStringLiteral("PDF 文件 (*.pdf)"));
      if (path.isEmpty()) return false;
      path = WithPdfSuffix(path);
      // Written before the reprint is kept, and kept with it.
      StatementPdf pdf;
      if (!recordReprint(serial, handed, {journal::HandOnKind::kPdf, path.toStdString()},
                         [&](const Statement& s) { return writePdf(pdf, s, path); })) {
        return false;
      }
      pdf.keep();
      return true;
    }
  }
  return false;
}

bool JournalDesk::recordReprint(const std::string& serial, const Statement& handed,
                                const journal::HandOn& handOn,
                                const StatementMenu::Deliver& deliver) {
  Delivery delivery(deliver);
  try {
    journal_->RecordReprint(serial, handOn,
                            delivery.makeFileFirst([&](const std::string&) { return handed; }));
  } catch (const NotDelivered&) {
    return false;
  } catch (const journal::JournalError& error) {
    tellJournalError(error, kStatementNotRecorded);
    return false;
  }
  emit journalChanged();
  return true;
}

QString JournalDesk::writePdf(StatementPdf& pdf, const Statement& statement,
                              const QString& path) const {
  const QString error = pdf.place(statement, path, keptFiles());
  if (!error.isEmpty()) {
    tell(QStringLiteral("导出 PDF 失败"),
         QStringLiteral("计息单未能保存到：\n%1\n\n%2").arg(QDir::toNativeSeparators(path), error));
  }
  return error;
}

bool JournalDesk::voidStatement(const std::string& serial) {
  journal::Journal* open = journal();
  if (!open || refusedAsVoided(*open, serial, QStringLiteral("不能作废"))) return false;
  const QString reason = askReason_(window_, ToQString(serial)).trimmed();
  if (reason.isEmpty()) return false;
  try {
    open->RecordVoid(serial, reason.toStdString(), header_.clerk);
  } catch (const journal::JournalError& error) {
    tell(QStringLiteral("不能作废"), ToQString(error.reason));
    return false;
  }
  emit journalChanged();
  return true;
}

}  // namespace quillbary
