// The program's arguments in UTF-8, as every option reads them. Windows
// hands main() its arguments in the ANSI code page, which has no room for a
// folder named 贷款资料: there they are read again from the wide command line,
// and the console is told to show UTF-8.
#pragma once

#include <string>
#include <vector>

namespace quillbary {

// Every argument after the program's name.
std::vector<std::string> Utf8Arguments(int argc, char* argv[]);

}  // namespace quillbary
