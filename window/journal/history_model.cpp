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
  beginResetModel();
  journal_ = journal;
  filter_ = filter;
  rows_.clear();
  more_ = false;
  std::optional<journal::JournalError> failed;
  if (journal_) {
    try {
      rows_ = journal_->ListStatements(filter_, kPageRows);
      more_ = rows_.size() == static_cast<std::size_t>(kPageRows);
    } catch (const journal::JournalError& error) {
      failed = error;
    }
  }
  endResetModel();
  return failed;
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const journal::StatementSummary& row = rows_.at(index.row());
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

bool HistoryModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && more_;
}

void HistoryModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid() || !more_ || !journal_) return;
  std::vector<journal::StatementSummary> page;
  try {
    page = journal_->ListStatements(filter_, kPageRows, rows_.back().seq);
  } catch (const journal::JournalError&) {
    // The rows already shown stay; the next reload says what is wrong.
  }
  more_ = page.size() == static_cast<std::size_t>(kPageRows);
  if (page.empty()) return;
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
  rows_.insert(rows_.end(), page.begin(), page.end());
  endInsertRows();
}

}  // namespace quillbary
