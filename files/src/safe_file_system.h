// What SafeFile's two sides, POSIX and Windows, share.
#pragma once

#include <string>

#include "quillbary/safe_file.h"

namespace quillbary::files::detail {

// ".月末.csv.quillbary-part-": the start of every temporary folder of a write
// to `name`, cut at a whole UTF-8 character.
std::string PartPrefix(const std::string& name);

// The system's words for an error number of the side's own calls (errno on
// POSIX, GetLastError() on Windows), and what kind of failure it is.
std::string SystemReason(int error);
FileError::Kind KindOfError(int error);

}  // namespace quillbary::files::detail
