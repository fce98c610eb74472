#include <windows.h>
#include <shellapi.h>

#include "app/utf8_arguments.h"

namespace quillbary {

std::vector<std::string> Utf8Arguments(int, char*[]) {
  ::SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
    arguments.push_back(std::move(text));
  }
  ::LocalFree(wide);
  return arguments;
}

}  // namespace quillbary
