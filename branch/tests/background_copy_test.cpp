// The background copy against a server of its own, which it stops and starts
// again, and a copying process killed with SIGKILL: in the end every entry is
// on the server once, and the chain whole.
#include "quillbary/background_copy.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <pqxx/pqxx>

#include <cstdlib>
#include <fstream>

#include "quillbary/branch.h"
#include "test_journal.h"
#include "test_server.h"

namespace quillbary::branch {
namespace {

// A server started for one test, in a folder of its own.
class OwnServer {
 public:
  OwnServer() : folder_(std::string(QUILLBARY_TEST_SERVER) + "-" + std::to_string(getpid())) {
    Script("start");
    pqxx::connection owner(Conninfo("postgres"));
    pqxx::nontransaction(owner).exec("CREATE DATABASE branch");
    Branch(Conninfo("branch", "branch_owner")).Init();
  }
  ~OwnServer() { Script("stop"); }
  void Script(const char* action) {
    const std::string command =
        std::string(QUILLBARY_SERVER_SCRIPT) + " " + action + " " + folder_;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  std::string Conninfo(const std::string& database, const std::string& user = "branch_owner") {
    return "host=" + folder_ + " dbname=" + database + " user=" + user;
  }
  const std::string& folder() const { return folder_; }
  std::int64_t Count(const std::string& where) {
    pqxx::connection connection(Conninfo("branch"));
    return pqxx::work(connection)
        .exec("SELECT count(*) FROM entries WHERE " + where)[0][0]
        .as<std::int64_t>();
  }

 private:
  std::string folder_;
};

// Waits up to a minute for the copy to report `want` waiting entries.
struct Reports {
  std::vector<journal::BranchReview> reviews;  // every one reported
  std::mutex mutex;
  std::condition_variable changed;
  std::int64_t waiting = -1;
  std::string problem;
  std::string behind;

  void Take(const BackgroundCopy::State& state) {
    std::lock_guard lock(mutex);
    waiting = state.waiting;
    problem = state.problem;
    behind = state.behind;
    reviews.insert(reviews.end(), state.reviews.begin(), state.reviews.end());
    changed.notify_all();
  }
  bool WaitFor(const std::function<bool()>& done) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::minutes(1), done);
  }
};

TEST(BackgroundCopy, WaitsOutAStoppedServerAndSendsEverythingOnce) {
  OwnServer server;
  journal::TempFolder folder;
  const auto path = folder / "j.sqlite3";
  auto journal = journal::OpenAt(path);
  journal->JoinTerminal(Branch(server.Conninfo("branch", "clerk_a")).Join(),
                        server.Conninfo("branch", "clerk_a"));
  for (int i = 0; i < 20; ++i) journal->RecordStatement({}, journal::SampleStatement(), {});

  Reports reports;
  BackgroundCopy copy(
      path, [&](const BackgroundCopy::State& state) { reports.Take(state); },
      std::chrono::milliseconds(50));
  ASSERT_TRUE(reports.WaitFor([&] { return reports.waiting == 0; }));
  EXPECT_EQ(server.Count("true"), 20);

  // A review on the server comes back once, for the window to keep.
  Branch(server.Conninfo("branch", "supervisor_s"))
      .RecordReview(journal->Terminal(), "2026-" + journal->Terminal() + "-000001", Verdict::kPass, "");
  ASSERT_TRUE(reports.WaitFor([&] { return !reports.reviews.empty(); }));
  copy.Nudge();
  copy.Nudge();
  ASSERT_TRUE(reports.WaitFor([&] { return reports.waiting == 0; }));
  EXPECT_EQ(reports.reviews.size(), 1U);
  EXPECT_EQ(reports.reviews.front().reviewer, "supervisor_s");

  server.Script("pause");
  for (int i = 0; i < 30; ++i) journal->RecordStatement({}, journal::SampleStatement(), {});
  copy.Nudge();
  ASSERT_TRUE(reports.WaitFor([&] { return reports.waiting == 30 && !reports.problem.empty(); }))
      << reports.waiting << " " << reports.problem;

  server.Script("resume");
  ASSERT_TRUE(reports.WaitFor([&] { return reports.waiting == 0; })) << reports.problem;
  EXPECT_EQ(server.Count("true"), 50);
  EXPECT_EQ(server.Count("seq > 1 AND prev_hash = (SELECT hash FROM entries p "
                         "WHERE p.terminal = entries.terminal AND p.seq = entries.seq - 1)"),
            49);
  EXPECT_TRUE(reports.behind.empty());

  // The journal's tail lost after it was copied: numbering must stop.
  journal.reset();
  journal::Tamper(path,
                  "DELETE FROM entries WHERE seq > 40;"
                  "UPDATE sqlite_sequence SET seq = 40 WHERE name = 'entries';");
  copy.Nudge();
  ASSERT_TRUE(reports.WaitFor([&] { return !reports.behind.empty(); }));
  EXPECT_NE(reports.behind.find("只有 40 条"), std::string::npos) << reports.behind;
}

TEST(BackgroundCopy, ACopierKilledMidwayLeavesNothingTwiceAndTheNextSendsTheRest) {
  OwnServer server;
  journal::TempFolder folder;
  const auto path = folder / "j.sqlite3";
  const std::string clerk = server.Conninfo("branch", "clerk_a");
  std::string terminal;
  {
    auto journal = journal::OpenAt(path);
    terminal = Branch(clerk).Join();
    journal->JoinTerminal(terminal, clerk);
    for (int i = 0; i < 300; ++i) journal->RecordStatement({}, journal::SampleStatement(), {});
  }
  for (const int killAfterMs : {30, 120}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      journal::JournalOptions options;
      options.readOnly = true;
      auto journal = journal::Journal::Open(path, options);
      Branch branch(clerk);
      UploadPending(*journal, branch, terminal);
      _exit(0);
    }
    usleep(killAfterMs * 1000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  const std::int64_t before = server.Count("true");
  EXPECT_LE(before, 300);
  journal::JournalOptions options;
  options.readOnly = true;
  auto journal = journal::Journal::Open(path, options);
  Branch branch(clerk);
  const UploadResult rest = UploadPending(*journal, branch, terminal);
  EXPECT_EQ(rest.sent, 300 - before);
  EXPECT_EQ(server.Count("true"), 300);
}

TEST(BranchTls, VerifiesTheServersNameAndSaysWhyNot) {
  OwnServer server;
  server.Script("tls");
  std::string port;
  std::ifstream(server.folder() + "/port") >> port;
  const std::string tls = " port=" + port + " dbname=branch user=clerk_a sslmode=verify-full " +
                          "sslrootcert=" + server.folder() + "/ca.crt";
  EXPECT_EQ(Branch("host=localhost" + tls).Join(), "T01");
  std::string reason;
  EXPECT_EQ(RefusalOf([&] { Branch("host=127.0.0.1" + tls); }, &reason),
            BranchError::Kind::kCannotConnect);
  EXPECT_NE(reason.find("does not match host name \"127.0.0.1\""), std::string::npos) << reason;
}

}  // namespace
}  // namespace quillbary::branch
