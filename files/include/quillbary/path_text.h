// A path and its text, in UTF-8 on every system.
//
// The program's texts are UTF-8: what the clerk typed, the command line,
// the messages. On Windows a path is UTF-16 and std::filesystem's narrow
// strings are in the ANSI code page, so path("贷款资料") and path.string()
// garble every Chinese name there; these two convert by UTF-8 instead:
//
//   PathOfUtf8("贷款资料/月末.csv")   // the folder 贷款资料, on Windows too
//   Utf8Of(PathOfUtf8(text)) == text
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillbary::files {

std::filesystem::path PathOfUtf8(std::string_view text);
std::string Utf8Of(const std::filesystem::path& path);

}  // namespace quillbary::files
