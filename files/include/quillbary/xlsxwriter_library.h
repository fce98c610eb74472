// libxlsxwriter, loaded the first time the program writes an XLSX file
// rather than when it starts: it brings OpenSSL's libcrypto along, 1.4 MB
// resident that a window which never exports should not carry.
#pragma once

#include <xlsxwriter.h>

namespace quillbary::files {

// The libxlsxwriter functions the program calls, by their own names.
struct XlsxWriterLibrary {
  decltype(&::workbook_new_opt) workbook_new_opt;
  decltype(&::workbook_add_worksheet) workbook_add_worksheet;
  decltype(&::workbook_add_format) workbook_add_format;
  decltype(&::workbook_close) workbook_close;
  decltype(&::worksheet_write_string) worksheet_write_string;
  decltype(&::worksheet_write_number) worksheet_write_number;
  decltype(&::worksheet_write_datetime) worksheet_write_datetime;
  decltype(&::worksheet_write_boolean) worksheet_write_boolean;
  decltype(&::worksheet_freeze_panes) worksheet_freeze_panes;
  decltype(&::worksheet_autofilter) worksheet_autofilter;
  decltype(&::worksheet_set_column) worksheet_set_column;
  decltype(&::format_set_num_format) format_set_num_format;
  decltype(&::format_set_bold) format_set_bold;
  decltype(&::lxw_strerror) lxw_strerror;
};

// Loaded once, on first use; throws std::runtime_error naming the library
// and why when it cannot be loaded:
// "无法载入 libxlsxwriter.so.4，写 XLSX 需要它（…）".
const XlsxWriterLibrary& XlsxWriterLib();

}  // namespace quillbary::files
