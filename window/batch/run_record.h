// A batch run's journal record, made from the summary the clerk was shown or
// printed: every count and sum set by its name, so that the record and the
// summary can never disagree.
#pragma once

#include <string>

#include "quillbary/batch_run.h"
#include "quillbary/journal.h"

namespace quillbary {

// The paths as the record shows them (absolute), the output's SHA-256.
journal::BatchRunRecord RunRecord(std::string inputPath, std::string outputPath,
                                  const batch::BatchSummary& summary, std::string outputSha256);

}  // namespace quillbary
