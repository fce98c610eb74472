#include "quillbary/xlsxwriter_library.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace quillbary::files {
namespace {

template <typename Function>
void Find(void* handle, const char* name, Function& into) {
  into = reinterpret_cast<Function>(dlsym(handle, name));
  if (into == nullptr) {
    throw std::runtime_error(std::string("载入的 libxlsxwriter.so.4 中没有 ") + name);
  }
}

#define QUILLBARY_FIND(handle, library, name) Find(handle, #name, library.name)

XlsxWriterLibrary Load() {
  // Kept for the life of the program.
  void* handle = dlopen("libxlsxwriter.so.4", RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    throw std::runtime_error(std::string("无法载入 libxlsxwriter.so.4，写 XLSX 需要它（") +
                             dlerror() + "）");
  }
  XlsxWriterLibrary xlsx{};
  QUILLBARY_FIND(handle, xlsx, workbook_new_opt);
  QUILLBARY_FIND(handle, xlsx, workbook_add_worksheet);
  QUILLBARY_FIND(handle, xlsx, workbook_add_format);
  QUILLBARY_FIND(handle, xlsx, workbook_close);
  QUILLBARY_FIND(handle, xlsx, worksheet_write_string);
  QUILLBARY_FIND(handle, xlsx, worksheet_write_number);
  QUILLBARY_FIND(handle, xlsx, worksheet_set_column);
  QUILLBARY_FIND(handle, xlsx, format_set_num_format);
  QUILLBARY_FIND(handle, xlsx, format_set_bold);
  QUILLBARY_FIND(handle, xlsx, lxw_strerror);
  return xlsx;
}

}  // namespace

const XlsxWriterLibrary& XlsxWriterLib() {
  static const XlsxWriterLibrary xlsx = Load();
  return xlsx;
}

}  // namespace quillbary::files
