// A shared library loaded the first time it is needed rather than when the
// program starts, its functions found by their own names.
#pragma once

#include <stdexcept>
#include <string>

namespace quillbary::files {

// The libraries loaded so, by the names this system knows them by.
#ifdef _WIN32
inline constexpr const char* kLibzipName = "libzip.dll";
inline constexpr const char* kXlsxwriterName = "libxlsxwriter.dll";
#else
inline constexpr const char* kLibzipName = "libzip.so.4";
inline constexpr const char* kXlsxwriterName = "libxlsxwriter.so.4";
#endif

// The library's handle, kept for the life of the program; throws
// std::runtime_error when it cannot be loaded:
// "无法载入 libzip.so.4，读 XLSX 需要它（…）".
void* OpenLibrary(const char* soname, const char* neededFor);

// The function `name` of the library; throws std::runtime_error naming it
// when the library has none.
void* FindFunction(void* library, const char* soname, const char* name);

}  // namespace quillbary::files

// Sets `table.name` to the library's function of that name, typed as the
// table declares it.
#define QUILLBARY_FIND_FUNCTION(library, soname, table, name) \
  table.name = reinterpret_cast<decltype(table.name)>(        \
      ::quillbary::files::FindFunction(library, soname, #name))
