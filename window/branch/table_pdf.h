// A table (the day's close) as a PDF page: a title, then the table's rows,
// in the statement's faces, written through the program's one writer.
#pragma once

#include <filesystem>
#include <string>

#include "quillbary/journal_export.h"
#include "quillbary/safe_file.h"

namespace quillbary {

// Throws files::FileError when the file cannot be written or the path is
// refused. Makes a GUI application of its own, drawing offscreen, when the
// program has none yet (on the command line).
void WriteTablePdf(const std::string& title, const journal::Table& table,
                   const std::filesystem::path& path, const files::WriteOptions& options);

}  // namespace quillbary
