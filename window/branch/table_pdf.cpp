#include "branch/table_pdf.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>
#include <memory>

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

QByteArray PdfOf(const std::string& title, const journal::Table& table) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
  writer.setTitle(QString::fromStdString(title));
  writer.setCreator(QStringLiteral("Quillbary"));
  QTextDocument document;
  QFont font;
  font.setFamilies({"DejaVu Serif", "AR PL SungtiL GB", "SimSun", "WenQuanYi Micro Hei",
                    "Noto Serif CJK SC", "AR PL UMing CN", "Songti SC", "serif"});
  font.setPointSizeF(9);
  document.setDefaultFont(font);
  document.setHtml(TableHtml(title, table));
  document.print(&writer);
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

}  // namespace quillbary
