// Where 导出 PDF saves: the folder its dialog starts in, remembered between
// runs, and the name as the clerk typed it made a PDF's.
#pragma once

#include <QString>

namespace quillbary {

// The folder the PDF dialog starts in: the one the last PDF was saved into,
// while it still exists; else the documents folder, if it exists; else the
// home folder.
QString PdfStartFolder();

// Remembers the folder of `savedPath` for the next PdfStartFolder, in this
// run and the next ones (the user's settings of Quillbary).
void RememberPdfFolder(const QString& savedPath);

// The path with ".pdf" added unless it ends so already, in any case:
// "/tmp/张三" -> "/tmp/张三.pdf", "a.PDF" -> "a.PDF", "2009.01" -> "2009.01.pdf".
QString WithPdfSuffix(const QString& path);

}  // namespace quillbary
