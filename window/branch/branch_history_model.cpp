#include "branch/branch_history_model.h"

#include <QBrush>
#include <QFont>
#include <array>

namespace quillbary {
namespace {

struct Column {
  const char* caption;
  std::string (*text)(const branch::BranchStatement&);
};

const std::array<Column, 9> kColumns = {{
    {"终端", [](const branch::BranchStatement& s) { return s.terminal; }},
    {"编号", [](const branch::BranchStatement& s) { return s.serial; }},
    {"时间", [](const branch::BranchStatement& s) { return s.recordedAt; }},
    {"经办", [](const branch::BranchStatement& s) { return s.clerk; }},
    {"借款人", [](const branch::BranchStatement& s) { return s.borrower; }},
    {"借据号", [](const branch::BranchStatement& s) { return s.loanNumber; }},
    {"合计", [](const branch::BranchStatement& s) { return s.totalCaption + "：" + s.total; }},
    {"复核", &ReviewColumnText},
    {"状态",
     [](const branch::BranchStatement& s) {
       const std::string status = journal::StatusText(s.voided, s.reprints);
       return status.empty() ? std::string("有效") : status;
     }},
}};

}  // namespace

std::string ReviewColumnText(const branch::BranchStatement& statement) {
  if (!statement.review) return "待复核";
  if (statement.review->verdict == branch::Verdict::kPass) {
    return "通过 " + statement.review->reviewer;
  }
  return "退回：" + statement.review->reason;
}

std::optional<branch::BranchError> BranchHistoryModel::load(branch::Branch* branch,
                                                            const branch::BranchFilter& filter) {
  branch_ = branch;
  filter_ = filter;
  NextPage next;
  if (branch_) {
    next = [this](const branch::BranchStatement* after) {
      return branch_->FindStatements(filter_, after ? std::optional(*after) : std::nullopt,
                                     kPageRows);
    };
  }
  try {
    reset(std::move(next), kPageRows);
  } catch (const branch::BranchError& error) {
    return error;
  }
  return std::nullopt;
}

int BranchHistoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant BranchHistoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const branch::BranchStatement& row = this->row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(kColumns.at(index.column()).text(row));
    case Qt::ForegroundRole:  // a voided statement's row is greyed, as in this machine's history
      return row.voided ? QVariant(QBrush(QColor(Qt::gray))) : QVariant();
    default:
      return {};
  }
}

QVariant BranchHistoryModel::headerData(int section, Qt::Orientation orientation,
                                        int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromUtf8(kColumns.at(section).caption);
}

}  // namespace quillbary
