#include "branch/table_pdf.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <memory>

#include "qt_text.h"
#include "sans_font.h"
#include "statement/statement_page.h"

namespace quillbary {
namespace {

QString Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QString TableHtml(const std::string& title, const journal::Table& table) {
  QString html = QStringLiteral("<html><body><h2 align=\"center\">%1</h2>"
                                "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
                                "width=\"100%\"><tr>")
                     .arg(Escaped(title));
  for (const std::string& caption : table.header) html += "<th>" + Escaped(caption) + "</th>";
  html += "</tr>";
  for (const std::vector<std::string>& row : table.rows) {
    html += "<tr>";
    for (std::size_t column = 0; column < row.size(); ++column) {
      const bool figure = column < table.kinds.size() && table.kinds[column] != journal::ColumnKind::kText;
      html += (figure ? "<td align=\"right\">" : "<td>") + Escaped(row[column]) + "</td>";
    }
    html += "</tr>";
  }
  return html + "</table></body></html>";
}

QPageLayout A4Page() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                     QPageLayout::Millimeter);
}

// Laid out and paginated at the page's size in points, then scaled to the
// device's dots: a PDF, a printer and the preview's picture alike. A long
// close (many voids, many terminals) goes on over further pages.
void Paint(const std::string& title, const journal::Table& table, QPagedPaintDevice& device) {
  QTextDocument document;
  QFont font;
  font.setFamilies({"DejaVu Serif", "AR PL SungtiL GB", "SimSun", "WenQuanYi Micro Hei",
                    "Noto Serif CJK SC", "AR PL UMing CN", "Songti SC", "serif"});
  font.setPointSizeF(9);
  document.setDefaultFont(font);
  document.setHtml(TableHtml(title, table));
  const QRectF page = device.pageLayout().paintRect(QPageLayout::Point);
  document.setPageSize(page.size());
  QPainter painter(&device);
  const qreal scale = painter.viewport().width() / page.width();
  painter.scale(scale, scale);
  for (int at = 0; at < document.pageCount(); ++at) {
    if (at > 0) device.newPage();
    const QRectF shown(0, at * page.height(), page.width(), page.height());
    painter.save();
    painter.translate(0, -shown.top());
    document.drawContents(&painter, shown);
    painter.restore();
  }
}

QByteArray PdfOf(const std::string& title, const journal::Table& table) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setPageLayout(A4Page());
  writer.setTitle(QString::fromStdString(title));
  writer.setCreator(QStringLiteral("Quillbary"));
  Paint(title, table, writer);
  return bytes;
}

}  // namespace

void WriteTablePdf(const std::string& title, const journal::Table& table,
                   const std::filesystem::path& path, const files::WriteOptions& options) {
  // The page is made whole in memory before the target is touched.
  std::unique_ptr<QGuiApplication> ownApplication;
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "quillbary";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ownApplication = std::make_unique<QGuiApplication>(argc, argv);
  }
  const QByteArray bytes = PdfOf(title, table);
  files::SafeFile file(path, options);
  file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  file.Commit();
}

QString PrintTableTo(QPrinter& target, const std::string& title, const journal::Table& table,
                     const files::WriteOptions& options) {
  // The preview paints through a picture engine of its own; a file printed
  // to is the one writer's to make.
  const QPaintEngine* engine = target.paintEngine();
  const QString file = target.outputFileName();
  if ((engine && engine->type() == QPaintEngine::Picture) || file.isEmpty()) {
    Paint(title, table, target);
    return {};
  }
  try {
    WriteTablePdf(title, table, PathOf(file), options);
  } catch (const files::FileError& error) {
    return QStringLiteral("日终汇总未能打印到文件 %1：%2")
        .arg(QDir::toNativeSeparators(file), QString::fromStdString(error.reason));
  }
  return {};
}

void PrintTable(const std::string& title, const journal::Table& table,
                const files::WriteOptions& options, QWidget* parent,
                const std::function<void(const QString&)>& failed) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(A4Page());
  printer.setDocName(QString::fromStdString(title));
  QPrintPreviewDialog preview(&printer, parent);
  preview.setFont(SansFont());
  preview.setWindowTitle(QString::fromStdString(title));
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, parent,
                   [&](QPrinter* target) {
                     const QString failure = PrintTableTo(*target, title, table, options);
                     if (!failure.isEmpty()) failed(failure);
                   });
  preview.resize(PreviewSize(preview));
  preview.exec();
}

}  // namespace quillbary
