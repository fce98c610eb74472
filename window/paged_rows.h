// A table read a page at a time as its view scrolls: the history's rows,
// this machine's or the branch's. A derived model says how a page after a
// row is read and how a row is shown.
#pragma once

#include <QAbstractTableModel>
#include <exception>
#include <functional>
#include <vector>

namespace quillbary {

template <typename Row>
class PagedRows : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  const Row& row(int index) const { return rows_.at(index); }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  bool canFetchMore(const QModelIndex& parent) const override {
    return !parent.isValid() && more_;
  }
  void fetchMore(const QModelIndex& parent) override {
    if (parent.isValid() || !more_ || !next_) return;
    std::vector<Row> page;
    try {
      page = next_(&rows_.back());
    } catch (const std::exception&) {
      // The rows already shown stay; the next reload says what is wrong.
    }
    more_ = page.size() == pageRows_;
    if (page.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    rows_.insert(rows_.end(), page.begin(), page.end());
    endInsertRows();
  }

 protected:
  // Up to pageRows rows after `after` (none: from the first).
  using NextPage = std::function<std::vector<Row>(const Row* after)>;

  // Reads the first page through next; none (no source) leaves the table
  // empty. A throw from next leaves it empty too, and passes on.
  void reset(NextPage next, std::size_t pageRows) {
    beginResetModel();
    rows_.clear();
    more_ = false;
    next_ = std::move(next);
    pageRows_ = pageRows;
    try {
      if (next_) {
        rows_ = next_(nullptr);
        more_ = rows_.size() == pageRows_;
      }
    } catch (...) {
      endResetModel();
      throw;
    }
    endResetModel();
  }

 private:
  NextPage next_;
  std::size_t pageRows_ = 0;
  std::vector<Row> rows_;
  bool more_ = false;
};

}  // namespace quillbary
