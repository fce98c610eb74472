#include "statement/statement_page.h"

#include <QBuffer>
#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <QToolBar>
#include <algorithm>

#include "message_boxes.h"
#include "qt_text.h"
#include "quillbary/annual_rate.h"
#include "quillbary/safe_file.h"
#include "sans_font.h"

namespace quillbary {
namespace {

// Room for the toolbar's spacing beyond its own hint, which the style adds
// around the buttons.
constexpr int kToolbarSlack = 24;

// Margins of the printed page, in millimetres.
constexpr qreal kMarginMm = 18;

QString Escaped(std::string_view text) {
  return ToQString(text).toHtmlEscaped();
}

QString Row(std::string_view item, std::string_view value) {
  return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(Escaped(item), Escaped(value));
}

// The working under one 计算过程 cell that spans its lines.
QString WorkingRows(const std::vector<std::string>& lines) {
  QString rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    rows += QStringLiteral("<tr>");
    if (i == 0) {
      rows +=
          QStringLiteral("<td rowspan=\"%1\">%2</td>").arg(lines.size()).arg(Escaped(kWorkingItem));
    }
    rows += QStringLiteral("<td>%1</td></tr>").arg(Escaped(lines[i]));
  }
  return rows;
}

// A row tall enough to sign in.
QString SignatureRow(std::string_view signer, std::string_view signature) {
  return QStringLiteral("<tr><td>%1<br>&nbsp;</td><td>%2</td></tr>")
      .arg(Escaped(signer), Escaped(signature));
}

// The page's faces: a serif for the figures, then a Song face for the
// Chinese. The Song face comes before any face that maps the Kangxi radicals
// to the same glyphs as the common characters (人 and ⼈), since a PDF reader
// would extract the radicals.
QFont PageFont() {
  QFont font;
  font.setFamilies({"DejaVu Serif", "AR PL SungtiL GB", "SimSun", "WenQuanYi Micro Hei",
                    "Noto Serif CJK SC", "AR PL UMing CN", "Songti SC", "serif"});
  font.setPointSizeF(10);
  return font;
}

// The statement laid out on a page of `pageWidth` points.
void Fill(QTextDocument& document, const Statement& statement, qreal pageWidth) {
  document.setDefaultFont(PageFont());
  document.setDocumentMargin(0);
  document.setTextWidth(pageWidth);
  document.setHtml(StatementHtml(statement));
}

QPageLayout A4Layout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                     QPageLayout::Millimeter);
}

// Draws the statement on the one page of `device`, scaled to its width, and
// smaller still when a very long text would run past the foot of the page.
void Paint(const Statement& statement, QPagedPaintDevice& device) {
  QPainter painter(&device);
  const QRect page = painter.viewport();
  QTextDocument document;
  // Lay out at the page's width in points, then scale to the device's dots.
  const QRectF pagePoints = device.pageLayout().paintRect(QPageLayout::Point);
  Fill(document, statement, pagePoints.width());
  const qreal fit = std::min(1.0, pagePoints.height() / document.size().height());
  const qreal scale = page.width() / pagePoints.width() * fit;
  painter.scale(scale, scale);
  document.drawContents(&painter);
}

}  // namespace

QString StatementHtml(const Statement& statement) {
  QString html = QStringLiteral(
                     "<html><head><meta charset=\"utf-8\"><style>"
                     "table { border-collapse: collapse; } td { padding: 3px 6px; }"
                     "</style></head><body>"
                     "<h2 align=\"center\">%1</h2>"
                     "<table border=\"1\" cellspacing=\"0\" width=\"100%\">")
                     .arg(Escaped(kStatementTitle));
  for (const StatementRow& row : statement.figures) {
    // The monthly rate with its annual equivalent beside it, as loan
    // documents print it.
    html += Row(row.item, row.item == kMonthlyRateItem ? WithAnnualRate(row.value) : row.value);
  }
  html += WorkingRows(statement.working);
  html += Row(statement.madeAt.item, statement.madeAt.value);
  for (std::size_t i = 0; i < statement.signers.size(); ++i) {
    html += SignatureRow(statement.signers[i], i < statement.signatures.size()
                                                   ? statement.signatures[i]
                                                   : std::string());
  }
  return html + QStringLiteral("</table></body></html>");
}

StatementPdf::StatementPdf() = default;
StatementPdf::~StatementPdf() = default;

QString StatementPdf::place(const Statement& statement, const QString& path,
                           const files::WriteOptions& kept) {
  // A page is a few tens of kilobytes: made in memory, then written whole
  // through the program's one writer, which never replaces a folder, a
  // device or the journal, and syncs the file before it takes its place.
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(A4Layout());
    writer.setTitle(ToQString(kStatementTitle));
    writer.setCreator(QStringLiteral("Quillbary"));
    Paint(statement, writer);
  }
  try {
    file_ = std::make_unique<files::SafeFile>(PathOf(path), kept);
    file_->Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    file_->PutInPlace();
  } catch (const files::FileError& e) {
    file_.reset();
    return QString::fromStdString(e.reason);
  }
  return {};
}

void StatementPdf::keep() {
  if (file_) file_->Keep();
}

QSize PreviewSize(const QPrintPreviewDialog& preview) {
  // Qt opens the preview at its minimum, where the toolbar folds its last
  // buttons, print among them, behind an extension arrow.
  constexpr QSize kRoomForAPage{800, 720};
  QSize size = kRoomForAPage;
  if (const auto* toolbar = preview.findChild<QToolBar*>()) {
    const QMargins margins = preview.contentsMargins() + toolbar->contentsMargins();
    size.setWidth(std::max(size.width(), toolbar->sizeHint().width() + margins.left() +
                                             margins.right() + kToolbarSlack));
  }
  if (const QScreen* screen = preview.screen()) size = size.boundedTo(screen->availableSize());
  return size;
}

void PaintRequested(const PrintJob& job, QPrinter& target, QWidget* parent) {
  // The preview paints through a picture engine of its own; the printer's
  // real engine is in place only when the page is sent.
  const QPaintEngine* engine = target.paintEngine();
  if (engine && engine->type() == QPaintEngine::Picture) {
    Paint(job.preview, target);
    return;
  }
  const QString file = target.outputFileName();
  if (file.isEmpty()) {
    if (const std::optional<Statement> sent = job.send({}, {})) Paint(*sent, target);
    return;
  }
  // Printed to a file: the page goes through the program's one writer, and
  // the printer, never painted on, opens no file of its own.
  StatementPdf pdf;
  QString failure;
  const std::optional<Statement> sent = job.send(file, [&](const Statement& numbered) {
    failure = pdf.place(numbered, file, job.kept);
    return failure;
  });
  if (sent) pdf.keep();
  if (!failure.isEmpty()) {
    ShowFailure(parent, QStringLiteral("打印失败"),
                QStringLiteral("计息单未能打印到文件：\n%1\n\n%2")
                    .arg(QDir::toNativeSeparators(file), failure));
  }
}

void PrintStatement(const PrintJob& job, const QString& fileName, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(A4Layout());
  // The print dialog names a file printed to after the document, as 导出 PDF
  // names its file.
  printer.setDocName(fileName);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setFont(SansFont());
  preview.setWindowTitle(QStringLiteral("打印计息单"));
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, parent,
                   [&job, parent](QPrinter* target) { PaintRequested(job, *target, parent); });
  preview.resize(PreviewSize(preview));
  preview.exec();
}

}  // namespace quillbary
