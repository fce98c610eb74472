// The Windows side: LoadLibraryW from the program's own folder, where the
// installer puts the libraries, before the system's.
#include <windows.h>

#include "quillbary/loaded_library.h"
#include "quillbary/path_text.h"

namespace quillbary::files {

void* OpenLibrary(const char* soname, const char* neededFor) {
  const std::wstring name = PathOfUtf8(soname).native();
  HMODULE library = ::LoadLibraryExW(name.c_str(), nullptr,
                                     LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                                         LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (library == nullptr) library = ::LoadLibraryW(name.c_str());  // systems before Windows 8
  if (library == nullptr) {
    const DWORD error = ::GetLastError();
    throw std::runtime_error(std::string("无法载入 ") + soname + "，" + neededFor +
                             "需要它（Windows 错误 " + std::to_string(error) + "）");
  }
  return reinterpret_cast<void*>(library);
}

void* FindFunction(void* library, const char* soname, const char* name) {
  const FARPROC function = ::GetProcAddress(static_cast<HMODULE>(library), name);
  if (function == nullptr) {
    throw std::runtime_error(std::string("载入的 ") + soname + " 中没有 " + name);
  }
  return reinterpret_cast<void*>(function);
}

}  // namespace quillbary::files
