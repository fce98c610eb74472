// Several programs on one journal, and programs killed mid-write: no entry
// whose write returned is lost, serials stay unique, the chain stays intact.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "test_journal.h"

namespace quillbary::journal {
namespace {

// Forks a child that records statements (at most `count`, or forever when 0)
// and writes each serial it got, one a line, into a pipe. Returns the child
// and the pipe's reading end.
std::pair<pid_t, int> StartWriter(const std::filesystem::path& path, int count) {
  int fds[2];
  if (pipe(fds) != 0) return {-1, -1};
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    try {
      JournalOptions options;
      options.busyTimeoutMs = 10000;
      auto journal = Journal::Open(path, options);
      for (int i = 0; count == 0 || i < count; ++i) {
        const std::string line =
            journal
                ->RecordStatement({"写入者", std::to_string(getpid()), ""},
                                  SampleStatement(std::to_string(i + 1)), {HandOnKind::kCopy, ""})
                .serial +
            "\n";
        if (write(fds[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) _exit(3);
      }
    } catch (const JournalError&) {
      _exit(2);
    }
    _exit(0);
  }
  close(fds[1]);
  return {child, fds[0]};
}

std::vector<std::string> ReadLines(int fd) {
  std::string all;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) all.append(buffer, n);
  close(fd);
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(all.substr(start, end - start));
  }
  return lines;
}

TEST(JournalConcurrency, TwoWritersLoseNothing) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  OpenAt(path);  // made before, so that both only open it
  constexpr int kEach = 40;
  const auto [first, firstPipe] = StartWriter(path, kEach);
  const auto [second, secondPipe] = StartWriter(path, kEach);
  std::vector<std::string> serials = ReadLines(firstPipe);
  const std::vector<std::string> more = ReadLines(secondPipe);
  serials.insert(serials.end(), more.begin(), more.end());
  for (const pid_t child : {first, second}) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }

  EXPECT_EQ(serials.size(), 2u * kEach);
  EXPECT_EQ(std::set<std::string>(serials.begin(), serials.end()).size(), serials.size());
  auto journal = OpenAt(path);
  EXPECT_EQ(journal->EntryCount(), 2 * kEach);
  const ChainCheck check = journal->CheckChain();
  EXPECT_TRUE(check.intact) << check.problem;
}

TEST(JournalConcurrency, KilledWritersKeepEveryEntryWhoseWriteReturned) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> killAfterMs(20, 200);

  std::set<std::string> returned;
  for (int round = 0; round < 12; ++round) {
    const auto [child, pipeEnd] = StartWriter(path, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs(random)));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    for (const std::string& serial : ReadLines(pipeEnd)) returned.insert(serial);

    auto journal = OpenAt(path);
    const ChainCheck check = journal->CheckChain();  // integrity_check first
    ASSERT_TRUE(check.intact) << "round " << round << ": " << check.problem;
    for (const std::string& serial : returned) {
      ASSERT_TRUE(journal->FindStatement(serial)) << "round " << round << " lost " << serial;
    }
  }
  EXPECT_GT(returned.size(), 0u);
}

// A file that cannot grow (a full disk, a size limit) fails the write as a
// whole: an error, and no trace of the entry once the file is opened again.
TEST(JournalFaults, AWriteThatCannotFinishLeavesNoPartialEntry) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  OpenAt(path)->RecordStatement({"张三", "", ""}, SampleStatement(), {HandOnKind::kCopy, ""});

  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of killing
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      OpenAt(path)->RecordStatement({std::string(512 * 1024, 'x'), "", ""}, SampleStatement(),
                                    {HandOnKind::kCopy, ""});
    } catch (const JournalError& error) {
      _exit(error.kind == JournalError::Kind::kDiskFull || error.kind == JournalError::Kind::kIo
                ? 0
                : 2);
    }
    _exit(1);  // the write claimed success
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write returned as if done; 2: another error";

  auto journal = OpenAt(path);
  EXPECT_EQ(journal->EntryCount(), 1);
  const ChainCheck check = journal->CheckChain();
  EXPECT_TRUE(check.intact) << check.problem;
  EXPECT_EQ(journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""}).serial,
            "2026-000002");
}

}  // namespace
}  // namespace quillbary::journal
