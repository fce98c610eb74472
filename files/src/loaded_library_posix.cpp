#include "quillbary/loaded_library.h"

#include <dlfcn.h>

namespace quillbary::files {

void* OpenLibrary(const char* soname, const char* neededFor) {
  void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    throw std::runtime_error(std::string("无法载入 ") + soname + "，" + neededFor + "需要它（" +
                             dlerror() + "）");
  }
  return library;
}

void* FindFunction(void* library, const char* soname, const char* name) {
  void* function = dlsym(library, name);
  if (function == nullptr) {
    throw std::runtime_error(std::string("载入的 ") + soname + " 中没有 " + name);
  }
  return function;
}

}  // namespace quillbary::files
