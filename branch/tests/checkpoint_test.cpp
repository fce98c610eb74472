// A terminal's signed checkpoints: the key it joins with, the signature over
// (terminal, seq, hash), and what the checks make of a tail cut on the
// server after the terminal signed it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "quillbary/branch.h"
#include "terminal_key.h"
#include "test_journal.h"
#include "test_server.h"

namespace quillbary::branch {
namespace {

TEST(TerminalKey, ASignatureHoldsForWhatWasSignedAndNothingElse) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    const TerminalKey key = MakeTerminalKey();
    const std::string hash(64, "0123456789abcdef"[random() % 16]);
    const std::int64_t seq = random() % 100000 + 1;
    const std::string signature = CheckpointSignature(key, "T07", seq, hash);
    const std::string other = PublicKeyHex(MakeTerminalKey());
    EXPECT_TRUE(CheckpointSignatureHolds(PublicKeyHex(key), "T07", seq, hash, signature));
    EXPECT_FALSE(CheckpointSignatureHolds(PublicKeyHex(key), "T08", seq, hash, signature));
    EXPECT_FALSE(CheckpointSignatureHolds(PublicKeyHex(key), "T07", seq + 1, hash, signature));
    EXPECT_FALSE(CheckpointSignatureHolds(other, "T07", seq, hash, signature));
    EXPECT_FALSE(CheckpointSignatureHolds(PublicKeyHex(key), "T07", seq, hash, "zz"));
  }
}

TEST(TerminalKey, IsKeptBesideTheJournalForItsOwnerAloneAndNeverReplaced) {
  journal::TempFolder folder;
  const auto file = KeyFileOf(folder / "j.sqlite3");
  const TerminalKey key = MakeTerminalKey();
  SaveTerminalKey(file, key);
  struct stat facts {};
  ASSERT_EQ(stat(file.c_str(), &facts), 0);
  EXPECT_EQ(facts.st_mode & 0777, 0600u);
  EXPECT_EQ(LoadTerminalKey(file)->publicKey, key.publicKey);
  EXPECT_ANY_THROW(SaveTerminalKey(file, MakeTerminalKey()));
  EXPECT_EQ(LoadTerminalKey(file)->publicKey, key.publicKey);
}

// A terminal that joined and copied 5 entries up, signed; then `tamper` run
// on the server as its owner with the triggers off.
struct CutCase {
  const char* name;
  const char* tamper;
  std::int64_t badSeq;  // as --check-branch names it; 0: whole
};

class SignedHead : public testing::TestWithParam<CutCase> {};

TEST_P(SignedHead, ShowsWhatWasDoneOnTheServerAfterItWasSigned) {
  const std::string database = FreshBranch();
  journal::TempFolder folder;
  const auto path = folder / "j.sqlite3";
  auto journal = journal::OpenAt(path);
  const std::string terminal =
      JoinBranch(*journal, Conninfo(database, "clerk_a"), KeyFileOf(path));
  for (int i = 0; i < 5; ++i) journal->RecordStatement({}, journal::SampleStatement(), {});
  Branch clerk(Conninfo(database, "clerk_a"));
  CopyToBranch(*journal, clerk, terminal, KeyFileOf(path));
  ASSERT_EQ(clerk.Checkpoints(terminal).back().seq, 5);

  SqlAs(database, "branch_owner",
        std::string("ALTER TABLE entries DISABLE TRIGGER USER;"
                    "ALTER TABLE checkpoints DISABLE TRIGGER USER;") +
            GetParam().tamper);
  const auto checks = Branch(Conninfo(database, "supervisor_s")).CheckChains();
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks[0].firstBadSeq, GetParam().badSeq) << checks[0].problem;
  // The journal itself still agrees with what the terminal signed.
  const ServerCopyCheck local = CompareWithServerCopy(*journal, clerk, terminal);
  EXPECT_EQ(local.agrees, std::string(GetParam().name) != "SignatureForged") << local.problem;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SignedHead,
    testing::Values(CutCase{"Untouched", "", 0},
                    CutCase{"TailCutOnTheServer", "DELETE FROM entries WHERE seq > 3", 5},
                    CutCase{"SignatureForged",
                            "UPDATE checkpoints SET signature = repeat('0', 128)", 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SignedHead, AJournalBehindItsCheckpointIsNamed) {
  const std::string database = FreshBranch();
  journal::TempFolder folder;
  const auto path = folder / "j.sqlite3";
  std::string terminal;
  {
    auto journal = journal::OpenAt(path);
    terminal = JoinBranch(*journal, Conninfo(database, "clerk_a"), KeyFileOf(path));
    for (int i = 0; i < 4; ++i) journal->RecordStatement({}, journal::SampleStatement(), {});
    Branch clerk(Conninfo(database, "clerk_a"));
    CopyToBranch(*journal, clerk, terminal, KeyFileOf(path));
  }
  journal::Tamper(path,
                  "DELETE FROM entries WHERE seq > 2;"
                  "UPDATE sqlite_sequence SET seq = 2 WHERE name = 'entries';");
  auto journal = journal::OpenAt(path);
  Branch clerk(Conninfo(database, "clerk_a"));
  const ServerCopyCheck check = CompareWithServerCopy(*journal, clerk, terminal);
  EXPECT_FALSE(check.agrees);
  // The first entry gone is named, whether the server's copy or the
  // terminal's signature shows it.
  EXPECT_EQ(check.firstBadSeq, 3) << check.problem;
  EXPECT_NE(check.problem.find("本机日志只到第 2 条"), std::string::npos) << check.problem;
}

}  // namespace
}  // namespace quillbary::branch
