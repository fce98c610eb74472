// libzip and libxlsxwriter, loaded the first time a batch reads or writes an
// XLSX file rather than when the program starts: the window links this room
// for 批量计算…, and libzip alone brings libcrypto (1.4 MB resident) into
// every start of the window otherwise.
#pragma once

#include <xlsxwriter.h>
#include <zip.h>

namespace quillbary::batch_detail {

// The libzip functions the XLSX reader calls, by their own names.
struct ZipLibrary {
  decltype(&::zip_open) zip_open;
  decltype(&::zip_discard) zip_discard;
  decltype(&::zip_error_init_with_code) zip_error_init_with_code;
  decltype(&::zip_error_strerror) zip_error_strerror;
  decltype(&::zip_error_fini) zip_error_fini;
  decltype(&::zip_name_locate) zip_name_locate;
  decltype(&::zip_fopen) zip_fopen;
  decltype(&::zip_fread) zip_fread;
  decltype(&::zip_fclose) zip_fclose;
  decltype(&::zip_strerror) zip_strerror;
  decltype(&::zip_stat_init) zip_stat_init;
  decltype(&::zip_stat) zip_stat;
};

// The libxlsxwriter functions the XLSX writer calls, by their own names.
struct XlsxWriterLibrary {
  decltype(&::workbook_new_opt) workbook_new_opt;
  decltype(&::workbook_add_worksheet) workbook_add_worksheet;
  decltype(&::workbook_add_format) workbook_add_format;
  decltype(&::workbook_close) workbook_close;
  decltype(&::worksheet_write_string) worksheet_write_string;
  decltype(&::worksheet_write_number) worksheet_write_number;
  decltype(&::format_set_num_format) format_set_num_format;
  decltype(&::lxw_strerror) lxw_strerror;
};

// Loaded once, on first use; throws BatchFileError naming the library when
// it is not installed.
const ZipLibrary& Zip();
const XlsxWriterLibrary& XlsxWriterLib();

}  // namespace quillbary::batch_detail
