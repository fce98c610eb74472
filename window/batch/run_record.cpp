#include "batch/run_record.h"

namespace quillbary {

journal::BatchRunRecord RunRecord(std::string inputPath, std::string outputPath,
                                  const batch::BatchSummary& summary, std::string outputSha256) {
  journal::BatchRunRecord run;
  run.inputPath = std::move(inputPath);
  run.inputSha256 = summary.inputSha256;
  run.outputPath = std::move(outputPath);
  run.outputSha256 = std::move(outputSha256);
  run.rowsRead = summary.rowsRead;
  run.totalSum = batch::SingleKindTotalSum(summary);
  run.hasStatuses = true;
  run.rowsCalculated = summary.rowsCalculated;
  run.rowsDateOrder = summary.rowsDateOrder;
  run.rowsNotCalculated = summary.rowsNotCalculated;
  run.normalInterestSum = summary.normalInterestSum;
  run.overdueInterestSum = summary.overdueInterestSum;
  run.interestTotalSum = summary.interestTotalSum;
  run.principalAndInterestSum = summary.principalAndInterestSum;
  return run;
}

}  // namespace quillbary
