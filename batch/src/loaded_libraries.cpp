#include "loaded_libraries.h"

#include <dlfcn.h>

#include <string>

#include "quillbary/batch_file.h"

namespace quillbary::batch_detail {
namespace {

// The library's handle, kept for the life of the program.
void* Open(const char* soname) {
  void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    throw BatchFileError(std::string("无法载入 ") + soname + "，读写 XLSX 需要它（" + dlerror() +
                         "）");
  }
  return handle;
}

template <typename Function>
void Find(void* handle, const char* name, Function& into) {
  into = reinterpret_cast<Function>(dlsym(handle, name));
  if (into == nullptr) throw BatchFileError(std::string("载入的库中没有 ") + name);
}

#define QUILLBARY_FIND(handle, library, name) Find(handle, #name, library.name)

ZipLibrary LoadZip() {
  void* handle = Open("libzip.so.4");
  ZipLibrary zip{};
  QUILLBARY_FIND(handle, zip, zip_open);
  QUILLBARY_FIND(handle, zip, zip_discard);
  QUILLBARY_FIND(handle, zip, zip_error_init_with_code);
  QUILLBARY_FIND(handle, zip, zip_error_strerror);
  QUILLBARY_FIND(handle, zip, zip_error_fini);
  QUILLBARY_FIND(handle, zip, zip_name_locate);
  QUILLBARY_FIND(handle, zip, zip_fopen);
  QUILLBARY_FIND(handle, zip, zip_fread);
  QUILLBARY_FIND(handle, zip, zip_fclose);
  QUILLBARY_FIND(handle, zip, zip_strerror);
  QUILLBARY_FIND(handle, zip, zip_stat_init);
  QUILLBARY_FIND(handle, zip, zip_stat);
  return zip;
}

XlsxWriterLibrary LoadXlsxWriter() {
  void* handle = Open("libxlsxwriter.so.4");
  XlsxWriterLibrary xlsx{};
  QUILLBARY_FIND(handle, xlsx, workbook_new_opt);
  QUILLBARY_FIND(handle, xlsx, workbook_add_worksheet);
  QUILLBARY_FIND(handle, xlsx, workbook_add_format);
  QUILLBARY_FIND(handle, xlsx, workbook_close);
  QUILLBARY_FIND(handle, xlsx, worksheet_write_string);
  QUILLBARY_FIND(handle, xlsx, worksheet_write_number);
  QUILLBARY_FIND(handle, xlsx, format_set_num_format);
  QUILLBARY_FIND(handle, xlsx, lxw_strerror);
  return xlsx;
}

}  // namespace

const ZipLibrary& Zip() {
  static const ZipLibrary zip = LoadZip();
  return zip;
}

const XlsxWriterLibrary& XlsxWriterLib() {
  static const XlsxWriterLibrary xlsx = LoadXlsxWriter();
  return xlsx;
}

}  // namespace quillbary::batch_detail
