// Writes a batch input file of ROWS rows, CSV or XLSX by its name, for
// bench/batch.sh: the seven input columns and a borrower, with dates,
// amounts, rates and methods that vary from row to row.
//   usage: batch_make_file FILE ROWS
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "quillbary/batch_file.h"
#include "quillbary/batch_run.h"

int main(int argc, char* argv[]) {
  long long rows = 0;
  if (argc != 3 ||
      std::from_chars(argv[2], argv[2] + std::char_traits<char>::length(argv[2]), rows).ec !=
          std::errc()) {
    std::cerr << "usage: batch_make_file FILE ROWS\n";
    return 2;
  }
  try {
    const std::filesystem::path file = argv[1];
    auto writer = quillbary::batch::IsXlsxName(file) ? quillbary::batch::CreateXlsxWriter(file)
                                              : quillbary::batch::CreateCsvWriter(file);
    writer->WriteTexts(std::vector<std::string>{"借款人", "借款日期", "到期日期", "还款日期",
                                                "起息日期", "还款金额", "月利率(‰)", "还款方式"});
    std::vector<std::string> cells(8);
    char text[32];
    for (long long i = 0; i < rows; ++i) {
      const int month = static_cast<int>(i % 12) + 1, day = static_cast<int>(i % 28) + 1;
      cells[0] = "客户" + std::to_string(i % 1000);
      std::snprintf(text, sizeof text, "2009-%02d-%02d", month, day);
      cells[1] = text;
      cells[4] = text;
      std::snprintf(text, sizeof text, "2010-%02d-%02d", month, day);
      cells[2] = text;
      std::snprintf(text, sizeof text, "2010-%02d-%02d", static_cast<int>((month + i % 5) % 12 + 1),
                    day);
      cells[3] = text;
      cells[5] = std::to_string(1000 + (i * 37) % 500000) + "." + std::to_string(i % 100);
      std::snprintf(text, sizeof text, "%.2f", 3.0 + static_cast<double>(i % 400) / 100);
      cells[6] = text;
      cells[7] = i % 3 == 0 ? "还本结息" : "只结利息";
      writer->WriteTexts(cells);
    }
    writer->Commit();
  } catch (const quillbary::batch::BatchFileError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}
