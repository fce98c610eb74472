// Makes a journal of many statements, and times what a clerk waits for on
// one that size: recording a statement (fsync included), the history's first
// screen from a cold open, and each keystroke of its filter.
//
// usage: journal_bench make PATH COUNT    records COUNT statements into PATH
//        journal_bench measure PATH       prints the timings on PATH
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "quillbary/calculate.h"
#include "quillbary/journal.h"

namespace {

using quillbary::journal::HandOnKind;
using quillbary::journal::Journal;
using quillbary::journal::StatementFilter;
using Clock = std::chrono::steady_clock;

constexpr const char* kSurnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
constexpr const char* kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊",   "军", "洋",
                                  "勇", "艳", "杰", "娟", "涛", "明", "超", "秀英", "霞", "平"};

quillbary::Statement MakeStatement(int amount) {
  quillbary::FieldValues f;
  f.jkrq = f.qxrq = std::chrono::year{2009} / 1 / 1;
  f.dqrq = std::chrono::year{2009} / 7 / 1;
  f.hkrq = std::chrono::year{2009} / 9 / 30;
  f.hkje = std::to_string(amount);
  f.ll = "5.31";
  f.zjlx = true;
  quillbary::Calculate(f, [](std::string_view) {});
  return *quillbary::MakeStatement(f, "2026-03-03 09:59:00");
}

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int Make(const char* path, int count) {
  auto journal = Journal::Open(path);
  for (int i = 1; i <= count; ++i) {
    const std::string borrower =
        std::string(kSurnames[i % 10]) + kGiven[(i / 10) % 20] + kGiven[(i / 200) % 20];
    const std::string serial =
        journal
            ->RecordStatement({borrower, "JD-" + std::to_string(100000 + i), "经办"},
                              MakeStatement(1000 + i % 9000), {HandOnKind::kPdf, "/tmp/x.pdf"})
            .serial;
    if (i % 30 == 0) journal->RecordReprint(serial, {HandOnKind::kPrint, ""});
    if (i % 50 == 0)
      journal->RecordVoid(serial, "重复出具");  // after: a voided one is not reprinted
    if (i % 10000 == 0) std::fprintf(stderr, "  %d statements\n", i);
  }
  return 0;
}

int Measure(const char* path) {
  const quillbary::Statement statement = MakeStatement(12345);

  // The history's first screen: open the file, read the first page of rows.
  // Then, as the history window does once those rows are shown, read in the
  // index its filter scans.
  std::vector<double> firstScreen, warmUp;
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    auto journal = Journal::Open(path);
    journal->ListStatements({}, 100);
    firstScreen.push_back(MsSince(start));
    const auto warmStart = Clock::now();
    journal->WarmHistoryIndex();
    warmUp.push_back(MsSince(warmStart));
  }

  auto journal = Journal::Open(path);
  journal->ListStatements({}, 100);
  journal->WarmHistoryIndex();
  std::vector<double> keystrokes;
  double worstKeystroke = 0;
  for (const char* typed : {"张", "张伟", "张伟芳", "JD-1", "JD-10", "JD-1000", "JD-10001",
                            "2026-0", "2026-00012", "无此人"}) {
    StatementFilter filter;
    filter.text = typed;
    const auto start = Clock::now();
    journal->ListStatements(filter, 100);
    const double ms = MsSince(start);
    keystrokes.push_back(ms);
    std::printf("  filter \"%s\"%*s %8.2f ms\n", typed, 14 - static_cast<int>(std::strlen(typed)),
                "", ms);
    worstKeystroke = std::max(worstKeystroke, ms);
  }

  std::vector<double> records;
  for (int i = 0; i < 20; ++i) {
    const auto start = Clock::now();
    journal->RecordStatement({"测试", "JD-BENCH", ""}, statement, {HandOnKind::kCopy, ""});
    records.push_back(MsSince(start));
  }

  const auto start = Clock::now();
  const auto check = journal->CheckChain();
  const double checkMs = MsSince(start);

  std::printf("entries                          %lld\n", static_cast<long long>(check.entries));
  std::printf("record one statement (median 20) %8.2f ms   goal <= 10 ms\n", Median(records));
  std::printf("history first screen (median 5)  %8.2f ms   goal <= 150 ms\n", Median(firstScreen));
  std::printf("then its index read in (median 5) %7.2f ms   (after the first screen is shown)\n",
              Median(warmUp));
  std::printf("filter keystroke (median of 10)  %8.2f ms   goal <= 50 ms\n", Median(keystrokes));
  std::printf("filter keystroke (worst of 10)   %8.2f ms   goal <= 50 ms\n", worstKeystroke);
  std::printf("chain check in the library       %8.2f ms   goal <= 2000 ms (%s)\n", checkMs,
              check.intact ? "intact" : "BROKEN");
  return check.intact ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "make" && argc == 4) return Make(argv[2], std::atoi(argv[3]));
  if (command == "measure" && argc == 3) return Measure(argv[2]);
  std::fprintf(stderr, "usage: journal_bench make PATH COUNT | measure PATH\n");
  return 2;
}
