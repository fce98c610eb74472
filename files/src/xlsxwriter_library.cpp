#include "quillbary/xlsxwriter_library.h"

#include "quillbary/loaded_library.h"

namespace quillbary::files {
namespace {

constexpr const char* kSoname = kXlsxwriterName;

XlsxWriterLibrary Load() {
  void* library = OpenLibrary(kSoname, "写 XLSX ");
  XlsxWriterLibrary xlsx{};
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, workbook_new_opt);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, workbook_add_worksheet);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, workbook_add_format);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, workbook_close);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, worksheet_write_string);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, worksheet_write_number);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, worksheet_write_datetime);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, worksheet_write_boolean);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, worksheet_freeze_panes);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, worksheet_autofilter);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, worksheet_set_column);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, format_set_num_format);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, format_set_bold);
  QUILLBARY_FIND_FUNCTION(library, kSoname, xlsx, lxw_strerror);
  return xlsx;
}

}  // namespace

const XlsxWriterLibrary& XlsxWriterLib() {
  static const XlsxWriterLibrary xlsx = Load();
  return xlsx;
}

}  // namespace quillbary::files
