#include "journal/history_window.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>

#include "journal/journal_desk.h"
#include "history_parts.h"
#include "qt_text.h"
#include "quillbary/journal_export.h"

namespace quillbary {
namespace {

// 编号, 时间, 借款人, 借据号 and 还款金额 as they commonly are.
constexpr std::array<const char*, 5> kColumnSamples = {
    "2026-000000", "0000-00-00 00:00:00", "欧阳某某", "JD-0000-000", "1,000,000.00 元"};
constexpr int kCellPadding = 12;

constexpr std::array<const char*, 4> kStatuses = {"全部", "有效", "作废", "补打过"};

// Room for the filter and the columns, within the screen: a window of 800
// by 600 pixels, its frame included, has it all.
QSize FittingSize(const QWidget& window) {
  constexpr QSize kPreferred{800, 560};
  QSize size = kPreferred.expandedTo(window.minimumSizeHint());
  if (const QScreen* screen = window.screen()) {
    constexpr QSize kFrame{8, 40};  // the title bar and borders around the window
    size = size.boundedTo(screen->availableSize() - kFrame);
  }
  return size;
}

}  // namespace

HistoryWindow::HistoryWindow(JournalDesk* desk, QWidget* parent)
    : QDialog(parent), desk_(desk), model_(this) {
  setWindowTitle(QStringLiteral("历史记录"));

  text_ = new QLineEdit(this);
  text_->setPlaceholderText(QStringLiteral("借款人、借据号或编号的一部分"));
  text_->setClearButtonEnabled(true);
  useDates_ = new QCheckBox(QStringLiteral("日期从"), this);
  const QDate today = QDate::currentDate();
  from_ = FilterDatePicker(this, today.addMonths(-1));
  to_ = FilterDatePicker(this, today);
  status_ = new QComboBox(this);
  for (const char* status : kStatuses) status_->addItem(QString::fromUtf8(status));

  auto* filters = new QHBoxLayout;
  filters->addWidget(new QLabel(QStringLiteral("查找："), this));
  filters->addWidget(text_, 1);
  filters->addWidget(useDates_);
  filters->addWidget(from_);
  filters->addWidget(new QLabel(QStringLiteral("至"), this));
  filters->addWidget(to_);
  filters->addWidget(new QLabel(QStringLiteral("状态："), this));
  filters->addWidget(status_);

  table_ = StatementList(&model_, this);
  // Each column as wide as a value of its kind, so that every one shows in a
  // window that fits an 800 by 600 screen.
  for (std::size_t column = 0; column < kColumnSamples.size(); ++column) {
    table_->setColumnWidth(
        static_cast<int>(column),
        table_->fontMetrics().horizontalAdvance(QString::fromUtf8(kColumnSamples[column])) +
            kCellPadding);
  }
  // The total with its caption, whole, however many digits it has.
  table_->horizontalHeader()->setSectionResizeMode(HistoryModel::kTotalColumn,
                                                   QHeaderView::ResizeToContents);

  QDialogButtonBox* buttons = HistoryButtons(this, {{"打开…", [this] { openCurrent(); }},
                                                    {"导出 CSV…", [this] { exportRows(false); }},
                                                    {"导出 XLSX…", [this] { exportRows(true); }}});
  // A branch terminal's history shows the reviews of its statements, and
  // opens the branch's history too: every terminal's statements.
  std::optional<journal::BranchMembership> membership;
  if (journal::Journal* journal = desk_->journal()) {
    try {
      membership = journal->Membership();
    } catch (const journal::JournalError&) {
      // No branch offered; the table says what is wrong with the journal.
    }
  }
  table_->setColumnHidden(HistoryModel::kReviewColumn, !membership);
  if (membership) {  // a terminal's 编号 is longer: 2026-T02-000123
    table_->setColumnWidth(
        0, table_->fontMetrics().horizontalAdvance(QStringLiteral("2026-T00-000000")) + kCellPadding);
  }
  if (membership && desk_->branchHistoryOpener()) {
    QPushButton* branch =
        buttons->addButton(QStringLiteral("分行记录…"), QDialogButtonBox::ActionRole);
    connect(branch, &QPushButton::clicked, this, [this, conninfo = membership->conninfo] {
      desk_->branchHistoryOpener()(conninfo, desk_->keptFiles(), this);
    });
  }

  // Named for a screen reader, as the main window's fields are.
  text_->setAccessibleName(QStringLiteral("查找"));
  useDates_->setAccessibleName(QStringLiteral("按日期范围查找"));
  from_->setAccessibleName(QStringLiteral("起始日期"));
  to_->setAccessibleName(QStringLiteral("截止日期"));
  status_->setAccessibleName(QStringLiteral("状态"));
  table_->setAccessibleName(QStringLiteral("计息单列表"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(table_, 1);
  layout->addWidget(buttons);
  resize(FittingSize(*this));

  // Every change of the filter reads the table again, as it is typed.
  connect(text_, &QLineEdit::textChanged, this, &HistoryWindow::reload);
  connect(useDates_, &QCheckBox::toggled, this, [this](bool on) {
    from_->setEnabled(on);
    to_->setEnabled(on);
    reload();
  });
  connect(from_, &QDateEdit::dateChanged, this, &HistoryWindow::reload);
  connect(to_, &QDateEdit::dateChanged, this, &HistoryWindow::reload);
  connect(status_, &QComboBox::currentIndexChanged, this, &HistoryWindow::reload);
  connect(table_, &QTableView::doubleClicked, this, &HistoryWindow::openCurrent);
  reload();
  // Once the first rows are on screen, the index the filter scans is read in,
  // so that the first keystroke is as quick as the rest.
  QTimer::singleShot(0, this, [this] {
    if (journal::Journal* journal = desk_->journal()) {
      try {
        journal->WarmHistoryIndex();
      } catch (const journal::JournalError&) {
        // Only a head start: the filter says what is wrong when it runs.
      }
    }
  });
}

journal::StatementFilter HistoryWindow::currentFilter() const {
  journal::StatementFilter filter;
  filter.text = text_->text().toStdString();
  if (useDates_->isChecked()) {
    filter.fromDate = from_->date().toString(Qt::ISODate).toStdString();
    filter.toDate = to_->date().toString(Qt::ISODate).toStdString();
  }
  filter.status = static_cast<journal::StatusFilter>(status_->currentIndex());
  return filter;
}

void HistoryWindow::reload() {
  if (const auto error = model_.load(desk_->journal(), currentFilter())) {
    desk_->tell(QStringLiteral("无法读取日志"), ToQString(error->reason));
  }
  if (model_.rowCount() > 0) table_->selectRow(0);
}

void HistoryWindow::openCurrent() {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid()) return;
  desk_->showRecorded(model_.row(current.row()).serial);
}

void HistoryWindow::exportRows(bool xlsx) {
  const QString suffix = xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
  const QString suggested =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(QStringLiteral("计息单历史.%1").arg(suffix));
  const QString path = desk_->fileChooser()(
      this, xlsx ? QStringLiteral("导出 XLSX") : QStringLiteral("导出 CSV"), suggested,
      xlsx ? QStringLiteral("Excel 工作簿 (*.xlsx)") : QStringLiteral("CSV 文件 (*.csv)"));
  if (path.isEmpty()) return;
  journal::Journal* journal = desk_->journal();
  if (!journal) return;
  try {
    const journal::Table table = journal::StatementsTable(
        *journal, journal->ListStatements(currentFilter(), std::numeric_limits<int>::max()));
    if (xlsx) {
      journal::WriteXlsx(PathOf(path), table, journal::KeptBy(*journal));
    } else {
      journal::WriteCsv(PathOf(path), table, journal::KeptBy(*journal));
    }
  } catch (const journal::JournalError& error) {
    desk_->tell(QStringLiteral("导出失败"),
                QStringLiteral("未能导出到：\n%1\n\n%2")
                    .arg(QDir::toNativeSeparators(path), ToQString(error.reason)));
    return;
  }
  emit exported(path);
}

}  // namespace quillbary
