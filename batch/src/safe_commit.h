// A writer's Commit: the whole file shown to the caller's hook, which may
// put it in place itself (inside a transaction), then kept.
#pragma once

#include "quillbary/batch_file.h"
#include "quillbary/safe_file.h"

namespace quillbary::batch::detail {

inline void CommitThrough(files::SafeFile& file, const BeforeReplace& beforeReplace) {
  file.Finish();
  bool placed = false;
  if (beforeReplace) {
    beforeReplace(file.TemporaryPath(), [&] {
      file.PutInPlace();
      placed = true;
    });
  }
  if (!placed) file.PutInPlace();
  file.Keep();
}

}  // namespace quillbary::batch::detail
