// What recording a hand-on and making its file share: the file made inside
// the journal's transaction, and where a file is offered by default.
#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <functional>
#include <string>

#include "quillbary/journal.h"
#include "statement/statement_menu.h"

namespace quillbary {

inline const QString kStatementNotRecorded = QStringLiteral("计息单未能记入日志，因此不能交付。");

// A hand-on whose file could not be made; the failure is already told.
struct NotDelivered {};

// Makes a hand-on's file (a PDF) with the entry's 编号 inside the journal's
// transaction, so that an entry is kept only with its file; the deliverer
// keeps the file only once the entry is committed (StatementPdf).
class Delivery {
 public:
  using Numbered = std::function<Statement(const std::string& serial)>;
  explicit Delivery(StatementMenu::Deliver deliver) : deliver_(std::move(deliver)) {}

  // Throws NotDelivered when the file cannot be made; none without a deliver.
  journal::Journal::BeforeCommit makeFileFirst(Numbered numbered) {
    if (!deliver_) return {};
    return [this, numbered = std::move(numbered)](const journal::Entry& entry) {
      if (!deliver_(numbered(entry.serial)).isEmpty()) throw NotDelivered{};
    };
  }

 private:
  StatementMenu::Deliver deliver_;
};

inline QString DocumentsPath(const QString& name) {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name);
}

}  // namespace quillbary
