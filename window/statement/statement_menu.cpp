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
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

#include "batch/batch_runner.h"
#include "message_boxes.h"
#include "qt_text.h"
#include "quillbary/working.h"
#include "sans_font.h"
#include "statement/pdf_destination.h"
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

const QString kCalculateFirst = QStringLiteral("请先开始计算。");

QString LocalTimeText(LocalMoment moment, std::string_view pattern) {
  return ToQString(FormatClock(moment, pattern));
}

QString DefaultPathChooser(QWidget* parent, const QString& suggested) {
  QFileDialog dialog(parent, QStringLiteral("导出 PDF"), suggested,
                     QStringLiteral("PDF 文件 (*.pdf)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // A name typed without .pdf gets it before the dialog asks about
  // overwriting a file of that name.
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.setFont(SansFont());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void PutOnClipboard(const Statement& statement) {
  auto* data = new QMimeData;
  data->setText(ToQString(StatementText(statement)));
  data->setHtml(StatementHtml(statement));
  QApplication::clipboard()->setMimeData(data);
}

// Room for every line of `text` in `view` without scrolling, as far as the
// screen allows.
QSize WholeTextSize(const QPlainTextEdit& view, const QString& text) {
  const QFontMetrics metrics(view.font());
  int width = 0;
  const QStringList lines = text.split(u'\n');
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  constexpr int kMargins = 24;  // the frame, the document's margins and the cursor
  QSize size(width + kMargins, int(lines.size() + 1) * metrics.lineSpacing() + kMargins);
  if (const QScreen* screen = view.screen()) {
    size = size.boundedTo(screen->availableSize() * 0.8);
  }
  return size;
}

void ShowWorkingBox(QWidget* parent, const QString& text) {
  QDialog box(parent);
  box.setFont(SansFont());
  box.setWindowTitle(QStringLiteral("计算过程"));
  auto* view = new QPlainTextEdit(text, &box);
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setMinimumSize(WholeTextSize(*view, text));
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
  menu_.setFont(SansFont());
  // The tips of the result fields hold the working; every tip of the program
  // shows in the sans face.
  QToolTip::setFont(SansFont());
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
    // The same key while the item is off; never on at the same time as it.
    auto* offKey = new QShortcut(items[i].shortcut, window);
    offKey->setContext(Qt::WindowShortcut);
    connect(offKey, &QShortcut::activated, this, [this, i] { explainOff(i); });
    offKeys_[i] = offKey;
  }
  setAvailable(false, kCalculateFirst);
  batchRunner_ = AddBatchItem(&menu_, window);
}

void StatementMenu::setFigures(const std::optional<FieldValues>& fields) {
  figures_ = fields && Working(*fields) ? fields : std::nullopt;
  // The statement is dated when its figures were made, however much later
  // it is shown, copied or saved.
  if (figures_) madeAt_ = clock_();
  setAvailable(figures_.has_value(), kCalculateFirst);
  setTips(figures_);
  emit figuresChanged();
}

void StatementMenu::setRun(const FieldValues& fields, const CalculateOutcome& outcome) {
  if (!outcome.dateWarning.empty()) {
    setFigures(std::nullopt);
    setAvailable(false,
                 QStringLiteral("日期顺序有误（%1），这次的结果不出计息单。请改正日期后重新计算。")
                     .arg(ToQString(outcome.dateWarning)));
  } else if (outcome.madeATotal) {
    setFigures(fields);
  } else {
    setFigures(std::nullopt);
    if (outcome.warnedField == "zjlx") {  // the run went through but chose no method
      setAvailable(false,
                   QStringLiteral("没有选择还款方式，这次没有合计。请选择还款方式后重新计算。"));
    }
  }
}

void StatementMenu::setAvailable(bool available, QString why) {
  whyOff_ = available ? QString() : std::move(why);
  for (QAction* action : actions_) action->setEnabled(available);
  for (QShortcut* key : offKeys_) key->setEnabled(!available);
}

void StatementMenu::explainOff(std::size_t item) {
  constexpr std::size_t kShowWorking = 0;  // F1
  if (item == kShowWorking && whyOff_ == kCalculateFirst && help_) {
    help_();
    return;
  }
  ShowWarning(window_, whyOff_.toStdString());
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

QString StatementMenu::fileBaseName() const {
  return QStringLiteral("计息单-%1").arg(LocalTimeText(madeAt_, "yyyymmdd-hhmmss"));
}

QString StatementMenu::suggestedPdfPath() const {
  return QDir(PdfStartFolder()).filePath(fileBaseName() + QStringLiteral(".pdf"));
}

std::optional<Statement> StatementMenu::statement() const {
  if (!figures_) return std::nullopt;
  return MakeStatement(*figures_, FormatClock(madeAt_, "yyyy-mm-dd hh:mm:ss"));
}

std::optional<Statement> StatementMenu::handOn(const Statement& s, HandOnWay way,
                                               const QString& pdfPath, const Deliver& deliver) {
  if (record_) return record_(s, way, pdfPath, deliver);
  if (deliver && !deliver(s).isEmpty()) return std::nullopt;
  return s;
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
  if (!s) return;
  PutOnClipboard(*s);
  emit copied();
}

void StatementMenu::print() {
  const std::optional<Statement> s = statement();
  if (!s) return;
  const PrintJob job{preview_ ? preview_(*s) : *s,
                     [this, &s](const QString& file, const PrintJob::PageWriter& write) {
                       return handOn(*s, HandOnWay::kPrint, file, write);
                     },
                     kept_ ? kept_() : files::WriteOptions{}};
  PrintStatement(job, fileBaseName(), window_);
}

void StatementMenu::exportPdf() {
  std::optional<Statement> s = statement();
  if (!s) return;
  const QString chosen = choosePath_(window_, suggestedPdfPath());
  if (chosen.isEmpty()) return;
  const QString path = WithPdfSuffix(chosen);
  // Written with its 编号 before the hand-on is kept, so that the journal
  // never names a PDF that is not there.
  // A journal that then fails to commit puts back what was at the path.
  QString failure;
  StatementPdf pdf;
  s = handOn(*s, HandOnWay::kPdf, path, [&](const Statement& numbered) {
    failure = pdf.place(numbered, path, kept_ ? kept_() : files::WriteOptions{});
    return failure;
  });
  if (s) pdf.keep();
  if (!failure.isEmpty()) {
    ShowFailure(window_, QStringLiteral("导出 PDF 失败"),
                QStringLiteral("计息单未能保存到：\n%1\n\n%2")
                    .arg(QDir::toNativeSeparators(path), failure));
    return;
  }
  if (!s) return;
  RememberPdfFolder(path);
  emit saved(path);
}

}  // namespace quillbary
