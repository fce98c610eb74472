#include <gtest/gtest.h>

#include <pqxx/pqxx>

#include <regex>
#include <set>
#include <thread>

#include "quillbary/branch.h"
#include "test_journal.h"
#include "test_server.h"

namespace quillbary::branch {
namespace {

using journal::OpenAt;
using journal::SampleStatement;
using journal::TempFolder;

// A journal with `statements` statements, the first one voided and the
// second handed on again: its entries are statements, a void, a hand-on.
std::unique_ptr<journal::Journal> JournalWith(const std::filesystem::path& path, int statements,
                                              const std::string& amount = "10000") {
  auto journal = OpenAt(path, "2026-03-03 10:00:00");
  for (int i = 0; i < statements; ++i) {
    journal->RecordStatement({"借款人" + std::to_string(i), "JD-" + std::to_string(i), "王"},
                             SampleStatement(amount), {journal::HandOnKind::kCopy, ""});
  }
  if (statements >= 2) {
    journal->RecordVoid("2026-000001", "重复出具", "王");
    journal->RecordHandOnAgain("2026-000002", {journal::HandOnKind::kPrint, ""});
  }
  return journal;
}

std::int64_t CountOnServer(const std::string& database, const std::string& where) {
  pqxx::connection connection(Conninfo(database, "branch_owner"));
  return pqxx::work(connection).exec("SELECT count(*) FROM entries WHERE " + where)[0][0].as<std::int64_t>();
}

TEST(BranchJoin, TerminalsNeverRepeatWhoeverJoinsAtOnce) {
  const std::string database = FreshBranch();
  std::vector<std::string> given[2];
  std::thread joiners[2];
  const char* clerks[2] = {"clerk_a", "clerk_b"};
  for (int c = 0; c < 2; ++c) {
    joiners[c] = std::thread([&, c] {
      Branch branch(Conninfo(database, clerks[c]));
      for (int i = 0; i < 10; ++i) given[c].push_back(branch.Join());
    });
  }
  for (std::thread& joiner : joiners) joiner.join();
  std::set<std::string> all(given[0].begin(), given[0].end());
  all.insert(given[1].begin(), given[1].end());
  EXPECT_EQ(all.size(), 20u);
  for (const std::string& terminal : all) EXPECT_TRUE(std::regex_match(terminal, std::regex("T[0-9]{2}")));
}

TEST(BranchInit, IsRefusedASecondTimeAndJoinNeedsIt) {
  const std::string database = FreshBranch();
  EXPECT_EQ(RefusalOf([&] { Branch(Conninfo(database, "branch_owner")).Init(); }), BranchError::Kind::kAlreadyMade);
  EXPECT_EQ(RefusalOf([&] { Branch(Conninfo(FreshDatabase(), "clerk_a")).Join(); }), BranchError::Kind::kNotABranch);
}

struct ConninfoCase {
  const char* name;
  const char* conninfo;
  bool refused;
};

class PasswordInConninfo : public testing::TestWithParam<ConninfoCase> {};

TEST_P(PasswordInConninfo, IsRefusedBeforeConnecting) {
  EXPECT_EQ(PasswordIn(GetParam().conninfo).has_value(), GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PasswordInConninfo,
    testing::Values(ConninfoCase{"KeywordPassword", "host=db user=a password=secret", true},
                    ConninfoCase{"UriPassword", "postgresql://a:secret@db/branch", true},
                    ConninfoCase{"Service", "service=branch", false},
                    ConninfoCase{"UriWithoutPassword", "postgresql://a@db/branch", false},
                    ConninfoCase{"EmptyPassword", "host=db password=", false},
                    ConninfoCase{"Unparsable", "host='db", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct TimeoutCase {
  const char* name;
  const char* given;
  const char* used;
};

class ConnectTimeout : public testing::TestWithParam<TimeoutCase> {};

TEST_P(ConnectTimeout, IsAddedOnlyWhenTheStringHasNone) {
  EXPECT_EQ(WithConnectTimeout(GetParam().given), GetParam().used);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectTimeout,
    testing::Values(
        TimeoutCase{"Keywords", "host=db dbname=b", "host=db dbname=b connect_timeout=10"},
        TimeoutCase{"KeywordsWithOne", "host=db connect_timeout=3", "host=db connect_timeout=3"},
        TimeoutCase{"Uri", "postgresql://db/b", "postgresql://db/b?connect_timeout=10"},
        TimeoutCase{"UriWithQuery", "postgresql://db/b?sslmode=require",
                    "postgresql://db/b?sslmode=require&connect_timeout=10"},
        TimeoutCase{"UriWithOne", "postgres://db/b?connect_timeout=2",
                    "postgres://db/b?connect_timeout=2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BranchUpload, IsIdempotentAndCatchesUpAfterWorkingOffline) {
  const std::string database = FreshBranch();
  TempFolder folder;
  auto journal = JournalWith(folder / "j.sqlite3", 3);  // 5 entries
  Branch branch(Conninfo(database, "clerk_a"));
  const std::string terminal = branch.Join();

  UploadResult first = UploadPending(*journal, branch, terminal);
  EXPECT_EQ(first.sent, 5);
  EXPECT_EQ(first.serverHead, 5);
  UploadResult again = UploadPending(*journal, branch, terminal);
  EXPECT_EQ(again.sent, 0);
  EXPECT_EQ(again.serverHead, 5);

  // Offline for a while: two more, then the catch-up sends those alone.
  journal->RecordStatement({}, SampleStatement("500"), {});
  journal->RecordReprint("2026-000003", {journal::HandOnKind::kPrint, ""});
  UploadResult later = UploadPending(*journal, branch, terminal);
  EXPECT_EQ(later.sent, 2);
  EXPECT_EQ(later.serverHead, 7);

  // Sending entries the server has is counted, not added.
  std::vector<journal::Entry> all;
  journal->ForEachEntry([&](const journal::Entry& entry) { all.push_back(entry); });
  UploadResult resent = branch.Upload(terminal, all);
  EXPECT_EQ(resent.alreadyThere, 7);
  EXPECT_EQ(CountOnServer(database, "terminal = '" + terminal + "'"), 7);
  EXPECT_EQ(CountOnServer(database, "uploaded_by <> 'clerk_a'"), 0);
}

TEST(BranchUpload, AnotherChainUnderTheSameTerminalIsADivergence) {
  const std::string database = FreshBranch();
  TempFolder folder;
  auto mine = JournalWith(folder / "mine.sqlite3", 2);
  auto other = JournalWith(folder / "other.sqlite3", 2, "20000");
  Branch branch(Conninfo(database, "clerk_a"));
  const std::string terminal = branch.Join();
  UploadPending(*mine, branch, terminal);

  std::vector<journal::Entry> entries;
  other->ForEachEntry([&](const journal::Entry& entry) { entries.push_back(entry); });
  std::string reason;
  EXPECT_EQ(RefusalOf([&] { branch.Upload(terminal, entries); }, &reason),
            BranchError::Kind::kDivergence);
  EXPECT_NE(reason.find("第 1 条"), std::string::npos) << reason;
}

// What the server itself refuses of an upload, whatever the program sends.
struct ForgedEntryCase {
  const char* name;
  void (*forge)(std::vector<journal::Entry>& entries);
  BranchError::Kind kind;
};

class ForgedEntry : public testing::TestWithParam<ForgedEntryCase> {};

TEST_P(ForgedEntry, IsRefusedByTheServer) {
  const std::string database = FreshBranch();
  TempFolder folder;
  auto journal = JournalWith(folder / "j.sqlite3", 3);
  std::vector<journal::Entry> entries;
  journal->ForEachEntry([&](const journal::Entry& entry) { entries.push_back(entry); });
  GetParam().forge(entries);
  Branch branch(Conninfo(database, "clerk_a"));
  const std::string terminal = branch.Join();
  EXPECT_EQ(RefusalOf([&] { branch.Upload(terminal, entries); }), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ForgedEntry,
    testing::Values(
        ForgedEntryCase{"ChangedFieldKeepsOldHash",
                        [](auto& entries) { entries[1].header.borrower = "别人"; },
                        BranchError::Kind::kBrokenLink},
        ForgedEntryCase{"GapInTheChain", [](auto& entries) { entries.erase(entries.begin() + 1); },
                        BranchError::Kind::kBrokenLink},
        ForgedEntryCase{"StartsAfterTheFirst",
                        [](auto& entries) { entries.erase(entries.begin()); },
                        BranchError::Kind::kBrokenLink}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BranchUpload, NobodyUploadsIntoAnotherClerksTerminal) {
  const std::string database = FreshBranch();
  TempFolder folder;
  auto journal = JournalWith(folder / "j.sqlite3", 1);
  const std::string terminal = Branch(Conninfo(database, "clerk_a")).Join();
  Branch other(Conninfo(database, "clerk_b"));
  EXPECT_EQ(RefusalOf([&] { UploadPending(*journal, other, terminal); }), BranchError::Kind::kRefused);
}

TEST(BranchUpload, TwoTerminalsAtOnceLeaveEveryEntryOnceAndBothChainsWhole) {
  const std::string database = FreshBranch();
  TempFolder folder;
  const char* clerks[2] = {"clerk_a", "clerk_b"};
  std::thread uploaders[2];
  std::string terminals[2];
  std::unique_ptr<journal::Journal> journals[2];
  for (int c = 0; c < 2; ++c) {
    journals[c] = OpenAt(folder / ("j" + std::to_string(c)), "2026-03-03 10:00:00");
    for (int i = 0; i < 500; ++i) journals[c]->RecordStatement({}, SampleStatement(), {});
    terminals[c] = Branch(Conninfo(database, clerks[c])).Join();
  }
  for (int c = 0; c < 2; ++c) {
    uploaders[c] = std::thread([&, c] {
      Branch branch(Conninfo(database, clerks[c]));
      // In pieces, as the background copy sends what has waited.
      std::vector<journal::Entry> piece;
      journals[c]->ForEachEntry([&](const journal::Entry& entry) {
        piece.push_back(entry);
        if (piece.size() == 50) branch.Upload(terminals[c], std::exchange(piece, {}));
      });
    });
  }
  for (std::thread& uploader : uploaders) uploader.join();
  for (const std::string& terminal : terminals) {
    EXPECT_EQ(CountOnServer(database, "terminal = '" + terminal + "'"), 500);
    // Every entry but the first links to its predecessor's hash on the server.
    EXPECT_EQ(CountOnServer(database, "terminal = '" + terminal +
                                          "' AND seq > 1 AND prev_hash = (SELECT hash FROM "
                                          "entries p WHERE p.terminal = entries.terminal AND "
                                          "p.seq = entries.seq - 1)"),
              499);
  }
}

TEST(BranchReview, ASecondPersonReviewsTheMakerCannot) {
  const std::string database = FreshBranch();
  TempFolder folder;
  auto journal = JournalWith(folder / "j.sqlite3", 2);
  Branch lead(Conninfo(database, "lead_l"));  // a clerk and a supervisor at once
  const std::string terminal = lead.Join();
  UploadPending(*journal, lead, terminal);

  EXPECT_EQ(RefusalOf([&] { lead.RecordReview(terminal, "2026-000002", Verdict::kPass, ""); }), BranchError::Kind::kRefused);
  Branch supervisor(Conninfo(database, "supervisor_s"));
  EXPECT_THROW(supervisor.RecordReview(terminal, "2026-000002", Verdict::kReturn, "　"),
               BranchError);
  EXPECT_THROW(supervisor.RecordReview(terminal, "2026-000099", Verdict::kPass, ""), BranchError);
  const Review returned =
      supervisor.RecordReview(terminal, "2026-000002", Verdict::kReturn, "借据号有误");
  EXPECT_EQ(returned.reviewer, "supervisor_s");
  supervisor.RecordReview(terminal, "2026-000002", Verdict::kPass, "");

  // The clerk's side sees both, oldest first.
  const std::vector<Review> seen = lead.ReviewsOf(terminal, "2026-000002");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].reason, "借据号有误");
  EXPECT_EQ(seen[1].verdict, Verdict::kPass);
}

TEST(BranchDayClose, CountsEachKindAndSumsTheStatementsInForce) {
  const std::string database = FreshBranch();
  TempFolder folder;
  auto first = JournalWith(folder / "a.sqlite3", 3);          // one voided
  auto second = JournalWith(folder / "b.sqlite3", 1, "500");  // 只结利息 of 500
  Branch a(Conninfo(database, "clerk_a"));
  Branch b(Conninfo(database, "clerk_b"));
  const std::string ta = a.Join();
  const std::string tb = b.Join();
  UploadPending(*first, a, ta);
  UploadPending(*second, b, tb);
  Branch(Conninfo(database, "supervisor_s")).RecordReview(ta, "2026-000002", Verdict::kPass, "");

  const DayClose branchClose = Branch(Conninfo(database, "supervisor_s")).CloseOfDay("2026-03-03");
  EXPECT_EQ(branchClose.statements, 4);
  EXPECT_EQ(branchClose.voids, 1);
  EXPECT_EQ(branchClose.handOnsAgain, 1);
  // Two of 561.98 in force on ta, one of 28.10 on tb (500 at 5.31‰).
  EXPECT_EQ(branchClose.interestTotalSum, "1152.06");
  EXPECT_EQ(branchClose.principalAndInterestSum, "0.00");
  EXPECT_EQ(branchClose.reviewed, 1);
  EXPECT_EQ(branchClose.pendingReview, 3);
  ASSERT_EQ(branchClose.heads.size(), 2u);
  EXPECT_EQ(branchClose.heads[0].seq, 5);

  const DayClose one = Branch(Conninfo(database, "supervisor_s")).CloseOfDay("2026-03-03", tb);
  EXPECT_EQ(one.statements, 1);
  EXPECT_EQ(one.heads.size(), 1u);
  EXPECT_EQ(Branch(Conninfo(database, "supervisor_s")).CloseOfDay("2026-03-04").statements, 0);
}

// The server's copy as the witness of a journal's tail: each way of losing
// or rewriting what was uploaded, which the local chain check passes.
struct TamperCase {
  const char* name;
  // Changes the uploaded journal at path; may return another journal to
  // compare instead (the chain rebuilt whole).
  void (*tamper)(const std::filesystem::path& path, const std::filesystem::path& folder);
  std::int64_t firstBadSeq;  // 0: agrees
};

class ServerCopyWitness : public testing::TestWithParam<TamperCase> {};

TEST_P(ServerCopyWitness, NamesTheFirstEntryThatDoesNotMatch) {
  const std::string database = FreshBranch();
  TempFolder folder;
  const auto path = folder / "j.sqlite3";
  Branch branch(Conninfo(database, "clerk_a"));
  const std::string terminal = branch.Join();
  {
    auto journal = JournalWith(path, 3);  // 5 entries
    journal->JoinTerminal(terminal, "");
    UploadPending(*journal, branch, terminal);
  }
  GetParam().tamper(path, folder.path());
  auto journal = OpenAt(path);
  ASSERT_TRUE(journal->CheckChain().intact) << "the local check alone should pass";
  const ServerCopyCheck check = CompareWithServerCopy(*journal, branch, terminal);
  EXPECT_EQ(check.agrees, GetParam().firstBadSeq == 0) << check.problem;
  EXPECT_EQ(check.firstBadSeq, GetParam().firstBadSeq) << check.problem;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServerCopyWitness,
    testing::Values(
        TamperCase{"Untouched", [](const auto&, const auto&) {}, 0},
        TamperCase{"TailRemovedWithTheSequenceFixed",
                   [](const auto& path, const auto&) {
                     journal::Tamper(path,
                                     "DELETE FROM entries WHERE seq > 3;"
                                     "UPDATE sqlite_sequence SET seq = 3 WHERE name = 'entries';");
                   },
                   4},
        TamperCase{"ChainRebuiltWholeAfterAnEdit",
                   [](const auto& path, const auto& folder) {
                     // Another chain of the same length in its place: every
                     // hash recomputed, as a rewriting script would leave it.
                     const auto rebuilt = folder / "rebuilt.sqlite3";
                     JournalWith(rebuilt, 3, "10001");
                     std::filesystem::copy_file(rebuilt, path,
                                                std::filesystem::copy_options::overwrite_existing);
                   },
                   1}),
    [](const auto& info) { return std::string(info.param.name); });

// What --check-branch finds on the server after someone with the owner's
// rights switched the triggers off and changed what they guard.
struct ServerTamperCase {
  const char* name;
  const char* sql;
  std::int64_t firstBadSeq;  // 0: whole
};

class BranchChainCheck : public testing::TestWithParam<ServerTamperCase> {};

TEST_P(BranchChainCheck, NamesEachTerminalsFirstBadEntry) {
  const std::string database = FreshBranch();
  TempFolder folder;
  auto journal = JournalWith(folder / "j.sqlite3", 3);  // 5 entries
  Branch clerk(Conninfo(database, "clerk_a"));
  const std::string terminal = clerk.Join();
  UploadPending(*journal, clerk, terminal);
  Branch(Conninfo(database, "clerk_b")).Join();  // a terminal with no entries yet
  SqlAs(database, "branch_owner",
        std::string("ALTER TABLE entries DISABLE TRIGGER USER;") + GetParam().sql);

  const std::vector<TerminalChainCheck> checks =
      Branch(Conninfo(database, "supervisor_s")).CheckChains();
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].whole, GetParam().firstBadSeq == 0) << checks[0].problem;
  EXPECT_EQ(checks[0].firstBadSeq, GetParam().firstBadSeq) << checks[0].problem;
  EXPECT_TRUE(checks[1].whole);
  EXPECT_EQ(checks[1].entries, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BranchChainCheck,
    testing::Values(
        ServerTamperCase{"Untouched", "", 0},
        ServerTamperCase{"FieldAndHashInputEdited",
                         "UPDATE entries SET hash_input = replace(hash_input, 'JD-1', 'JD-9') "
                         "WHERE seq = 2",
                         2},
        ServerTamperCase{"EntryRemovedInTheMiddle", "DELETE FROM entries WHERE seq = 2", 3},
        ServerTamperCase{"LinkChanged",
                         "UPDATE entries SET prev_hash = repeat('1', 64) WHERE seq = 4", 4},
        // The server alone cannot tell a removed tail from one never sent.
        ServerTamperCase{"TailRemoved", "DELETE FROM entries WHERE seq > 3", 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbary::branch
