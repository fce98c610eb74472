#include "branch/branch_history_window.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QVBoxLayout>

#include "branch/table_pdf.h"
#include "history_parts.h"
#include "quillbary/handed_statement.h"
#include "quillbary/statement.h"

namespace quillbary {
namespace {

constexpr std::array<const char*, 4> kReviews = {"全部", "待复核", "已通过", "已退回"};

// A list of the server's names with 全部 first; the chosen one, or "" for all.
void FillChoices(QComboBox* box, const QString& all, const std::vector<std::string>& names) {
  box->addItem(all, QString());
  for (const std::string& name : names) {
    box->addItem(QString::fromStdString(name), QString::fromStdString(name));
  }
}

QString AskReturnReason(QWidget* parent, const QString& serial) {
  bool ok = false;
  const QString reason = QInputDialog::getText(
      parent, QStringLiteral("退回"), QStringLiteral("退回 %1 的原因：").arg(serial),
      QLineEdit::Normal, QString(), &ok);
  return ok ? reason.trimmed() : QString();
}

}  // namespace

BranchHistoryWindow::BranchHistoryWindow(const std::string& conninfo, QWidget* parent,
                                         files::WriteOptions kept)
    : QDialog(parent), model_(this), askReason_(&AskReturnReason), kept_(std::move(kept)) {
  setWindowTitle(QStringLiteral("分行历史记录"));
  text_ = new QLineEdit(this);
  text_->setPlaceholderText(QStringLiteral("借款人、借据号或编号的一部分"));
  text_->setClearButtonEnabled(true);
  terminal_ = new QComboBox(this);
  clerk_ = new QComboBox(this);
  useDates_ = new QCheckBox(QStringLiteral("日期从"), this);
  const QDate today = QDate::currentDate();
  from_ = FilterDatePicker(this, today);
  to_ = FilterDatePicker(this, today);
  review_ = new QComboBox(this);
  for (const char* review : kReviews) review_->addItem(QString::fromUtf8(review));
  message_ = new QLabel(this);
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  std::vector<std::string> terminals;
  std::vector<std::string> clerks;
  try {
    branch_ = std::make_unique<branch::Branch>(conninfo);
    terminals = branch_->Terminals();
    clerks = branch_->Clerks();
  } catch (const branch::BranchError& error) {
    branch_.reset();
    say(QString::fromStdString(error.reason), true);
  }
  FillChoices(terminal_, QStringLiteral("全部终端"), terminals);
  FillChoices(clerk_, QStringLiteral("全部经办"), clerks);

  auto* filters = new QHBoxLayout;
  filters->addWidget(new QLabel(QStringLiteral("查找："), this));
  filters->addWidget(text_, 1);
  filters->addWidget(terminal_);
  filters->addWidget(clerk_);
  filters->addWidget(useDates_);
  filters->addWidget(from_);
  filters->addWidget(new QLabel(QStringLiteral("至"), this));
  filters->addWidget(to_);
  filters->addWidget(review_);

  table_ = StatementList(&model_, this);

  QDialogButtonBox* buttons =
      HistoryButtons(this, {{"查看…", [this] { openCurrent(); }},
                            {"复核通过", [this] { reviewCurrent(branch::Verdict::kPass); }},
                            {"退回…", [this] { reviewCurrent(branch::Verdict::kReturn); }},
                            {"日终汇总…", [this] { printDayClose(); }}});

  text_->setAccessibleName(QStringLiteral("查找"));
  terminal_->setAccessibleName(QStringLiteral("终端"));
  clerk_->setAccessibleName(QStringLiteral("经办"));
  useDates_->setAccessibleName(QStringLiteral("按日期范围查找"));
  from_->setAccessibleName(QStringLiteral("起始日期"));
  to_->setAccessibleName(QStringLiteral("截止日期"));
  review_->setAccessibleName(QStringLiteral("复核"));
  table_->setAccessibleName(QStringLiteral("分行计息单列表"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(table_, 1);
  layout->addWidget(message_);
  layout->addWidget(buttons);
  resize(1000, 560);

  connect(text_, &QLineEdit::textChanged, this, &BranchHistoryWindow::reload);
  for (QComboBox* box : {terminal_, clerk_, review_}) {
    connect(box, &QComboBox::currentIndexChanged, this, &BranchHistoryWindow::reload);
  }
  connect(useDates_, &QCheckBox::toggled, this, [this](bool on) {
    from_->setEnabled(on);
    to_->setEnabled(on);
    reload();
  });
  connect(from_, &QDateEdit::dateChanged, this, &BranchHistoryWindow::reload);
  connect(to_, &QDateEdit::dateChanged, this, &BranchHistoryWindow::reload);
  connect(table_, &QTableView::doubleClicked, this, &BranchHistoryWindow::openCurrent);
  if (branch_) reload();
}

BranchHistoryWindow::~BranchHistoryWindow() = default;

branch::BranchFilter BranchHistoryWindow::currentFilter() const {
  branch::BranchFilter filter;
  filter.text = text_->text().toStdString();
  filter.terminal = terminal_->currentData().toString().toStdString();
  filter.clerk = clerk_->currentData().toString().toStdString();
  if (useDates_->isChecked()) {
    filter.fromDate = from_->date().toString(Qt::ISODate).toStdString();
    filter.toDate = to_->date().toString(Qt::ISODate).toStdString();
  }
  filter.review = static_cast<branch::ReviewFilter>(review_->currentIndex());
  return filter;
}

void BranchHistoryWindow::say(const QString& text, bool problem) {
  message_->setStyleSheet(problem ? QStringLiteral("color: #b00000") : QString());
  message_->setText(text);
}

void BranchHistoryWindow::reload() {
  if (const auto error = model_.load(branch_.get(), currentFilter())) {
    say(QString::fromStdString(error->reason), true);
    branch_.reset();  // connection lost or refused: the window says so and stops asking
  }
  // Each column as wide as what the first page holds: a 编号 and a time whole.
  table_->resizeColumnsToContents();
  if (model_.rowCount() > 0) table_->selectRow(0);
}

void BranchHistoryWindow::reviewCurrent(branch::Verdict verdict) {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid() || !branch_) return;
  const branch::BranchStatement row = model_.row(current.row());
  QString reason;
  if (verdict == branch::Verdict::kReturn) {
    reason = askReason_(this, QString::fromStdString(row.serial));
    if (reason.isEmpty()) return;
  }
  try {
    const branch::Review review =
        branch_->RecordReview(row.terminal, row.serial, verdict, reason.toStdString());
    say(QStringLiteral("已复核 %1：%2").arg(QString::fromStdString(row.serial),
                                          QString::fromStdString(VerdictName(review.verdict))),
        false);
  } catch (const branch::BranchError& error) {
    say(QString::fromStdString(error.reason), true);
    return;
  }
  const int at = current.row();
  reload();
  if (at < model_.rowCount()) table_->selectRow(at);
}

QString BranchHistoryWindow::currentStatementText() {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid() || !branch_) return {};
  const branch::BranchStatement& row = model_.row(current.row());
  try {
    const std::optional<journal::Entry> entry = branch_->StatementEntry(row.terminal, row.serial);
    if (!entry) return {};
    std::optional<journal::BranchReview> review;
    if (row.review) review = branch::JournalCopyOf(*row.review);
    return QString::fromStdString(StatementText(
        journal::HandedStatement(entry->statement, entry->header, row.serial, "", review)));
  } catch (const branch::BranchError& error) {
    say(QString::fromStdString(error.reason), true);
    return {};
  }
}

void BranchHistoryWindow::openCurrent() {
  const QString text = currentStatementText();
  if (text.isEmpty()) return;
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("计息单"), text, QMessageBox::Ok, this);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

std::optional<branch::DayClose> BranchHistoryWindow::dayClose() {
  if (!branch_) return std::nullopt;
  const QDate day = useDates_->isChecked() ? to_->date() : QDate::currentDate();
  try {
    return branch_->CloseOfDay(day.toString(Qt::ISODate).toStdString(),
                               terminal_->currentData().toString().toStdString());
  } catch (const branch::BranchError& error) {
    say(QString::fromStdString(error.reason), true);
    return std::nullopt;
  }
}

void BranchHistoryWindow::printDayClose() {
  const std::optional<branch::DayClose> close = dayClose();
  if (!close) return;
  PrintTable(branch::DayCloseTitle(*close), branch::DayCloseTable(*close), kept_, this,
             [this](const QString& failure) { say(failure, true); });
}

void OpenBranchHistory(const std::string& conninfo, const files::WriteOptions& kept,
                       QWidget* parent) {
  auto* window = new BranchHistoryWindow(conninfo, parent, kept);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
}

}  // namespace quillbary
