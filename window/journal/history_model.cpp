#include "journal/history_model.h"

#include <QBrush>
#include <QFont>

#include "qt_text.h"
#include "quillbary/handed_statement.h"

namespace quillbary {
namespace {

struct Column {
  const char* caption;
  std::string (*text)(const journal::StatementSummary&);
};

const std::array<Column, 8> kColumns = {{
    {"编号", [](const journal::StatementSummary& s) { return s.serial; }},
    {"时间", [](const journal::StatementSummary& s) { return s.recordedAt; }},
    {"借款人", [](const journal::StatementSummary& s) { return s.borrower; }},
    {"借据号", [](const journal::StatementSummary& s) { return s.loanNumber; }},
    {"还款金额", [](const journal::StatementSummary& s) { return s.amount; }},
    {"合计", [](const journal::StatementSummary& s) { return s.totalCaption + "：" + s.total; }},
    {"复核", [](const journal::StatementSummary& s) { return journal::ReviewText(s.review); }},
    {"状态",
     [](const journal::StatementSummary& s) {
       const std::string status = journal::StatusText(s);
       return status.empty() ? std::string("有效") : status;
     }},
}};

QFont StruckThrough() {
  QFont font;
  font.setStrikeOut(true);
  return font;
}

}  // namespace

std::optional<journal::JournalError> HistoryModel::load(journal::Journal* journal,
                                                      const journal::StatementFilter& filter) {
  journal_ = journal;
  filter_ = filter;
  NextPage next;
  if (journal_) {
    next = [this](const journal::StatementSummary* after) {
      return journal_->ListStatements(filter_, kPageRows,
                                      after ? std::optional(after->seq) : std::nullopt);
    };
  }
  try {
    reset(std::move(next), kPageRows);
  } catch (const journal::JournalError& error) {
    return error;
  }
  return std::nullopt;
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const journal::StatementSummary& row = this->row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(kColumns.at(index.column()).text(row));
    case Qt::ForegroundRole:  // a voided statement's row is greyed and struck through
      return row.voided ? QVariant(QBrush(QColor(Qt::gray))) : QVariant();
    case Qt::FontRole:
      return row.voided ? QVariant(StruckThrough()) : QVariant();
    default:
      return {};
  }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromUtf8(kColumns.at(section).caption);
}

}  // namespace quillbary
