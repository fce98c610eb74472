#include "app/utf8_arguments.h"

namespace quillbary {

std::vector<std::string> Utf8Arguments(int argc, char* argv[]) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace quillbary
