// libzip, loaded the first time a batch reads an XLSX file rather than when
// the program starts: the window links this room for 批量计算…, and libzip
// alone brings libcrypto (1.4 MB resident) into every start of the window
// otherwise. (libxlsxwriter is loaded the same way, in files/.)
#pragma once

#include <zip.h>

namespace quillbary::batch::detail {

// The libzip functions the XLSX reader calls, by their own names.
struct ZipLibrary {
  decltype(&::zip_fdopen) zip_fdopen;
  decltype(&::zip_get_num_entries) zip_get_num_entries;
  decltype(&::zip_get_name) zip_get_name;
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

// Loaded once, on first use; throws BatchFileError naming the library when
// it is not installed.
const ZipLibrary& Zip();

}  // namespace quillbary::batch::detail
