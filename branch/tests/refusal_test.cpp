// What no role may do to what the branch's database holds, the owner's
// included: each row is one statement that must be refused.
#include <gtest/gtest.h>

#include <pqxx/pqxx>

#include "quillbary/branch.h"
#include "test_journal.h"
#include "test_server.h"

namespace quillbary::branch {
namespace {

struct RefusalCase {
  const char* name;
  const char* role;
  const char* sql;
};

class Refused : public testing::TestWithParam<RefusalCase> {
 protected:
  // One branch for every row: clerk_a's terminal with two entries, reviewed.
  static void SetUpTestSuite() {
    database_ = new std::string(FreshBranch());
    journal::TempFolder folder;
    auto journal = journal::OpenAt(folder / "j.sqlite3");
    journal->RecordStatement({}, journal::SampleStatement(), {});
    journal->RecordStatement({}, journal::SampleStatement(), {});
    Branch clerk(Conninfo(*database_, "clerk_a"));
    UploadPending(*journal, clerk, clerk.Join());
    Branch(Conninfo(*database_, "supervisor_s"))
        .RecordReview("T01", "2026-000001", Verdict::kPass, "");
  }
  static void TearDownTestSuite() { delete database_; }
  static std::string* database_;
};
std::string* Refused::database_ = nullptr;

TEST_P(Refused, ByTheServer) {
  // Refused for want of the right (42501: no grant, or the triggers' refusal),
  // not for a mistake in the statement.
  EXPECT_THROW(SqlAs(*database_, GetParam().role, GetParam().sql), pqxx::insufficient_privilege);
  // And nothing changed.
  pqxx::connection connection(Conninfo(*database_, "branch_owner"));
  pqxx::work work(connection);
  EXPECT_EQ(work.exec("SELECT count(*) FROM entries")[0][0].as<int>(), 2);
  EXPECT_EQ(work.exec("SELECT count(*) FROM reviews")[0][0].as<int>(), 1);
  EXPECT_EQ(work.exec("SELECT count(*) FROM entries WHERE uploaded_by = 'clerk_a'")[0][0].as<int>(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refused,
    testing::Values(
        RefusalCase{"ClerkUpdatesAnEntry", "clerk_a", "UPDATE entries SET total = '0.00'"},
        RefusalCase{"ClerkDeletesAnEntry", "clerk_a", "DELETE FROM entries WHERE seq = 2"},
        RefusalCase{"ClerkTruncatesEntries", "clerk_a", "TRUNCATE entries"},
        RefusalCase{"ClerkReviews", "clerk_b",
                    "INSERT INTO reviews(terminal, serial, verdict) VALUES ('T01', '2026-000002', 'pass')"},
        RefusalCase{"SupervisorUploads", "supervisor_s",
                    "INSERT INTO entries SELECT * FROM entries WHERE false"},
        RefusalCase{"SupervisorDeletesAReview", "supervisor_s", "DELETE FROM reviews"},
        RefusalCase{"OwnerUpdatesAnEntry", "branch_owner", "UPDATE entries SET hash = hash"},
        RefusalCase{"OwnerDeletesAnEntry", "branch_owner", "DELETE FROM entries"},
        RefusalCase{"OwnerTruncatesEntries", "branch_owner", "TRUNCATE entries"},
        RefusalCase{"OwnerTruncatesReviews", "branch_owner", "TRUNCATE reviews"},
        RefusalCase{"OwnerRenamesTheUploader", "branch_owner",
                    "UPDATE entries SET uploaded_by = 'clerk_b'"},
        RefusalCase{"OwnerDeletesATerminal", "branch_owner", "DELETE FROM terminals"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Stamped, AnUploadNamingAnotherRoleIsStampedWithItsOwn) {
  const std::string database = FreshBranch();
  journal::TempFolder folder;
  auto journal = journal::OpenAt(folder / "j.sqlite3");
  journal->RecordStatement({}, journal::SampleStatement(), {});
  Branch clerk(Conninfo(database, "clerk_a"));
  const std::string terminal = clerk.Join();
  journal::Entry entry;
  journal->ForEachEntry([&](const journal::Entry& each) { entry = each; });
  pqxx::connection connection(Conninfo(database, "clerk_a"));
  pqxx::work work(connection);
  work.exec_params(
      "INSERT INTO entries(terminal, seq, kind, serial, recorded_at, clerk, borrower, loan_number, "
      "amount, total_caption, total, handed_on, reason, prev_hash, hash, hash_input, uploaded_by) "
      "VALUES ($1, 1, 'statement', $2, '', '', '', '', '', '', '', '', '', $3, $4, $5, 'clerk_b')",
      terminal, entry.serial, entry.previousHash, entry.hash, journal::HashInputOf(entry));
  EXPECT_EQ(work.exec("SELECT uploaded_by FROM entries")[0][0].as<std::string>(), "clerk_a");
}

}  // namespace
}  // namespace quillbary::branch
