#include "statement/statement_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "message_boxes.h"
#include "qt_text.h"
#include "quillbary/working.h"
#include "statement/statement_page.h"

namespace quillbary {
namespace {

struct Item {
  const char* text;
  QKeySequence shortcut;
  void (StatementMenu::*handler)();
};

// The result fields whose tip is their own working line; the total's tip is
// the whole working with the capitals.
constexpr std::array<std::string_view, 5> kExplainedFields = {"zcts", "zclx", "yqts", "yqll",
                                                              "yqlx"};

QString LocalTimeText(LocalMoment moment, std::string_view pattern) {
  return ToQString(FormatClock(moment, pattern));
}

QString DefaultPathChooser(QWidget* parent, const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("导出 PDF"), suggested,
                                      QStringLiteral("PDF 文件 (*.pdf)"));
}

void PutOnClipboard(const Statement& statement) {
  auto* data = new QMimeData;
  data->setText(ToQString(StatementText(statement)));
  data->setHtml(StatementHtml(statement));
  QApplication::clipboard()->setMimeData(data);
}

void ShowWorkingBox(QWidget* parent, const QString& text) {
  QDialog box(parent);
  box.setWindowTitle(QStringLiteral("计算过程"));
  auto* view = new QPlainTextEdit(text, &box);
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setMinimumSize(540, 430);  // the whole statement without scrolling
  auto* buttons = new QDialogButtonBox(&box);
  QPushButton* copy = buttons->addButton(QStringLiteral("复制"), QDialogButtonBox::ActionRole);
  QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
  close->setDefault(true);
  QObject::connect(copy, &QPushButton::clicked, &box,
                   [text] { QApplication::clipboard()->setText(text); });
  QObject::connect(close, &QPushButton::clicked, &box, &QDialog::reject);
  auto* layout = new QVBoxLayout(&box);
  layout->addWidget(view);
  layout->addWidget(buttons);
  box.exec();
}

}  // namespace

StatementMenu::StatementMenu(QWidget* window, ControlLookup control, Clock clock)
    : QObject(window),
      window_(window),
      control_(std::move(control)),
      clock_(std::move(clock)),
      choosePath_(DefaultPathChooser) {
  const std::array<Item, 4> items{{
      {"计算过程…", QKeySequence(Qt::Key_F1), &StatementMenu::showWorking},
      {"复制计算结果", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &StatementMenu::copy},
      {"打印计息单…", QKeySequence(Qt::CTRL | Qt::Key_P), &StatementMenu::print},
      {"导出 PDF…", QKeySequence(Qt::CTRL | Qt::Key_S), &StatementMenu::exportPdf},
  }};
  for (std::size_t i = 0; i < items.size(); ++i) {
    QAction* action = menu_.addAction(QString::fromUtf8(items[i].text));
    action->setShortcut(items[i].shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, items[i].handler);
    window->addAction(action);  // the shortcuts work without the menu open
    actions_[i] = action;
  }
}

void StatementMenu::setFigures(const std::optional<FieldValues>& fields) {
  figures_ = fields && Working(*fields) ? fields : std::nullopt;
  for (QAction* action : actions_) action->setEnabled(figures_.has_value());
  setTips(figures_);
  emit figuresChanged();
}

void StatementMenu::setTips(const std::optional<FieldValues>& fields) {
  const std::optional<std::vector<WorkingLine>> lines = fields ? Working(*fields) : std::nullopt;
  const auto tip = [this](std::string_view name, const QString& text) {
    QWidget* widget = control_(name);
    widget->setToolTip(text);
    widget->setAccessibleDescription(text);
  };
  for (std::string_view name : kExplainedFields) {
    QString text;
    if (lines) {
      for (const WorkingLine& line : *lines) {
        if (line.field == name) text = ToQString(line.Text());
      }
    }
    tip(name, text);
  }
  QString total;
  if (lines) {
    total = ToQString(WorkingText(*lines) + "\n" + std::string(kCapitalsItem) + "：" +
                      TotalInCapitals(fields->hj));
  }
  tip("hj", total);
}

void StatementMenu::popup(const QPoint& globalPos) {
  menu_.popup(globalPos);
}

QString StatementMenu::suggestedPdfPath() const {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QDir(folder).filePath(QStringLiteral("计息单-%1.pdf")
                                   .arg(LocalTimeText(clock_(), "yyyymmdd-hhmmss")));
}

std::optional<Statement> StatementMenu::statement() const {
  if (!figures_) return std::nullopt;
  return MakeStatement(*figures_, FormatClock(clock_(), "yyyy-mm-dd hh:mm:ss"));
}

std::optional<Statement> StatementMenu::handOn(const Statement& s, HandOnWay way,
                                               const QString& pdfPath) {
  return record_ ? record_(s, way, pdfPath) : std::optional(s);
}

void StatementMenu::showWorking() {
  const std::optional<Statement> s = statement();
  if (s && showBox_) {
    showBox_(*s);
  } else if (s) {
    ShowWorkingBox(window_, ToQString(StatementText(*s)));
  }
}

void StatementMenu::copy() {
  std::optional<Statement> s = statement();
  if (s) s = handOn(*s, HandOnWay::kCopy);
  if (s) PutOnClipboard(*s);
}

void StatementMenu::print() {
  std::optional<Statement> s = statement();
  if (s) s = handOn(*s, HandOnWay::kPrint);
  if (s) PrintStatement(*s, window_);
}

void StatementMenu::exportPdf() {
  std::optional<Statement> s = statement();
  if (!s) return;
  const QString path = choosePath_(window_, suggestedPdfPath());
  if (path.isEmpty()) return;
  s = handOn(*s, HandOnWay::kPdf, path);
  if (!s) return;
  if (const QString error = WriteStatementPdf(*s, path); !error.isEmpty()) {
    ShowFailure(window_, QStringLiteral("导出 PDF 失败"),
                QStringLiteral("计息单未能保存到：\n%1\n\n%2").arg(QDir::toNativeSeparators(path),
                                                                   error));
  }
}

}  // namespace quillbary
