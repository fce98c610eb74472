// A table (the day's close) as a page: a title, then the table's rows, in the
// statement's faces; written as a PDF through the program's one writer, or
// sent to a printer from a preview.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <string>

#include "quillbary/journal_export.h"
#include "quillbary/safe_file.h"

class QPrinter;
class QWidget;

namespace quillbary {

// Throws files::FileError when the file cannot be written or the path is
// refused. Makes a GUI application of its own, drawing offscreen, when the
// program has none yet (on the command line).
void WriteTablePdf(const std::string& title, const journal::Table& table,
                   const std::filesystem::path& path, const files::WriteOptions& options);

// One paintRequested of the table's print preview on `target`: the preview
// and a printer get the page painted; printed to a file, the page is written
// there by WriteTablePdf with `options` (never over the journal, never
// through a planted link) and the printer, never painted on, opens no file
// of its own. Returns an empty text, or why the file was not written.
QString PrintTableTo(QPrinter& target, const std::string& title, const journal::Table& table,
                     const files::WriteOptions& options);

// The print dialog with a preview of the table's page; what went wrong when
// it was sent is handed to `failed`.
void PrintTable(const std::string& title, const journal::Table& table,
                const files::WriteOptions& options, QWidget* parent,
                const std::function<void(const QString&)>& failed);

}  // namespace quillbary
