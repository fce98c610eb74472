// The temporaries being written right now, so that a signal that ends the
// program (SIGINT, SIGTERM, SIGHUP) removes them before it does.
#pragma once

#include <filesystem>

namespace quillbary::files::detail {

// Registers a temporary file and its private folder; returns the slot to
// pass to Forget, or -1 when every slot is taken (the write goes on; only a
// signal would then leave it behind, for the next write to remove).
// The first call installs the handlers, and ignores SIGXFSZ so that a write
// past `ulimit -f` fails with EFBIG instead of ending the program.
int Remember(const std::filesystem::path& file, const std::filesystem::path& folder);
void Forget(int slot);

}  // namespace quillbary::files::detail
