#include <gtest/gtest.h>

#include <tuple>

#include "branch_internal.h"
#include "quillbary/branch.h"
#include "test_journal.h"
#include "test_server.h"

namespace quillbary::branch {
namespace {

using journal::HandOnKind;
using journal::SampleStatement;
using journal::TempFolder;

// A terminal joined by `clerk`, recording each statement at the time given.
struct Terminal {
  Terminal(const std::string& database, const std::string& clerk, const std::string& file)
      : branch(Conninfo(database, clerk)) {
    journal::JournalOptions options;
    options.clock = [this] { return now; };
    journal = journal::Journal::Open(folder / file, options);
    name = branch.Join();
    journal->JoinTerminal(name, Conninfo(database, clerk));
  }
  std::string Record(const std::string& at, const std::string& borrower, const std::string& loan) {
    now = at;
    return journal->RecordStatement({borrower, loan, "经办"}, SampleStatement(), {HandOnKind::kCopy, ""})
        .serial;
  }
  void Upload() { UploadPending(*journal, branch, name); }

  TempFolder folder;
  Branch branch;
  std::unique_ptr<journal::Journal> journal;
  std::string name;
  std::string now = "2026-03-01 08:00:00";
};

std::vector<std::string> Borrowers(const std::vector<BranchStatement>& rows) {
  std::vector<std::string> borrowers;
  for (const BranchStatement& row : rows) borrowers.push_back(row.borrower);
  return borrowers;
}

// T01 (clerk_a): 张伟, Li Ming (voided), 100%_利率, 王芳; T02 (clerk_b): 赵敏,
// at the very second of Li Ming; T03 (clerk_b): 张三, reprinted twice.
class HistoryFilter : public testing::TestWithParam<std::pair<int, const char*>> {
 protected:
  static void SetUpTestSuite() {
    database_ = new std::string(FreshBranch());
    Terminal a(*database_, "clerk_a", "a.sqlite3"), b(*database_, "clerk_b", "b.sqlite3"),
        c(*database_, "clerk_b", "c.sqlite3");
    const std::string zhangWei = a.Record("2026-03-01 09:00:00", "张伟", "JD-100");
    const std::string liMing = a.Record("2026-03-02 10:00:00", "Li Ming", "HT-7");
    a.Record("2026-03-03 23:59:59", "100%_利率", "X_1");
    const std::string wangFang = a.Record("2026-03-04 00:00:00", "王芳", "JD-200");
    a.journal->RecordVoid(liMing, "重复出具");
    const std::string zhaoMin = b.Record("2026-03-02 10:00:00", "赵敏", "DK-9");
    const std::string zhangSan = c.Record("2026-03-03 08:00:00", "张三", "jd-300");
    c.journal->RecordReprint(zhangSan, {HandOnKind::kPrint, ""});
    c.journal->RecordReprint(zhangSan, {HandOnKind::kPrint, ""});
    for (Terminal* terminal : {&a, &b, &c}) terminal->Upload();
    Branch supervisor(Conninfo(*database_, "supervisor_s"));
    supervisor.RecordReview(a.name, zhangWei, Verdict::kPass, "");
    supervisor.RecordReview(a.name, wangFang, Verdict::kReturn, "利率有误");
    supervisor.RecordReview(a.name, wangFang, Verdict::kPass, "");
    supervisor.RecordReview(b.name, zhaoMin, Verdict::kReturn, "金额有误");
    supervisor.RecordReview(c.name, zhangSan, Verdict::kPass, "");
    supervisor.RecordReview(c.name, zhangSan, Verdict::kReturn, "借据号有误");
  }
  static void TearDownTestSuite() { delete database_; }
  void SetUp() override { historyNewestLooked = GetParam().first; }
  void TearDown() override { historyNewestLooked = 20000; }

  static std::string* database_;
};
std::string* HistoryFilter::database_ = nullptr;

struct FilterCase {
  const char* name;
  const char* terminal;
  const char* clerk;
  const char* from;
  const char* to;
  ReviewFilter review;
  const char* text;
  std::vector<std::string> borrowers;  // newest first
};

const std::vector<FilterCase>& FilterCases() {
  constexpr ReviewFilter kAll = ReviewFilter::kAll;
  static const std::vector<FilterCase> cases = {
      // name, terminal, clerk, from, to, review, text: borrowers found
      {"NoneNewestFirstTiesByTerminal", "", "", "", "", kAll, "",
       {"王芳", "100%_利率", "张三", "赵敏", "Li Ming", "张伟"}},
      {"TerminalExactly", "T02", "", "", "", kAll, "", {"赵敏"}},
      {"ClerkOverHerTerminals", "", "clerk_b", "", "", kAll, "", {"张三", "赵敏"}},
      {"FromDateInclusive", "", "", "2026-03-03", "", kAll, "", {"王芳", "100%_利率", "张三"}},
      {"ToDateToItsLastSecond", "", "", "", "2026-03-03", kAll, "",
       {"100%_利率", "张三", "赵敏", "Li Ming", "张伟"}},
      {"OneDay", "", "", "2026-03-02", "2026-03-02", kAll, "", {"赵敏", "Li Ming"}},
      {"PendingHasNoReview", "", "", "", "", ReviewFilter::kPending, "", {"100%_利率", "Li Ming"}},
      {"PassedByTheLatestReview", "", "", "", "", ReviewFilter::kPassed, "", {"王芳", "张伟"}},
      {"ReturnedByTheLatestReview", "", "", "", "", ReviewFilter::kReturned, "", {"张三", "赵敏"}},
      {"TextInBorrower", "", "", "", "", kAll, "张", {"张三", "张伟"}},
      {"TextInLoanNumberEitherCase", "", "", "", "", kAll, "JD-", {"王芳", "张三", "张伟"}},
      {"LatinEitherCase", "", "", "", "", kAll, "li mING", {"Li Ming"}},
      {"TextInSerialEitherCase", "", "", "", "", kAll, "t02-000001", {"赵敏"}},
      {"PercentLiteral", "", "", "", "", kAll, "0%", {"100%_利率"}},
      {"UnderscoreLiteral", "", "", "", "", kAll, "_1", {"100%_利率"}},
      {"BackslashLiteral", "", "", "", "", kAll, "\\", {}},
      {"TextNowhere", "", "", "", "", kAll, "钱", {}},
      {"TextWithTerminal", "T01", "", "", "", kAll, "张", {"张伟"}},
      {"TextWithClerkAndReview", "", "clerk_b", "", "", ReviewFilter::kReturned, "D", {"张三", "赵敏"}},
  };
  return cases;
}

BranchFilter FilterOf(const FilterCase& row) {
  BranchFilter filter;
  filter.terminal = row.terminal;
  filter.clerk = row.clerk;
  filter.fromDate = row.from;
  filter.toDate = row.to;
  filter.review = row.review;
  filter.text = row.text;
  return filter;
}

TEST_P(HistoryFilter, FindsExactlyItsStatementsNewestFirst) {
  for (const FilterCase& row : FilterCases()) {
    Branch branch(Conninfo(*database_, "supervisor_s"));
    EXPECT_EQ(Borrowers(branch.FindStatements(FilterOf(row), std::nullopt, 100)), row.borrowers)
        << row.name;
  }
}

// Each text filter once through the newest statements alone, once through
// the rare text's way.
INSTANTIATE_TEST_SUITE_P(History, HistoryFilter,
                         testing::Values(std::pair{20000, "NewestAlone"}, std::pair{1, "RareTextWay"}),
                         [](const auto& info) { return std::string(info.param.second); });

TEST_P(HistoryFilter, EachRowCarriesItsVoidReprintsAndLatestReview) {
  Branch branch(Conninfo(*database_, "supervisor_s"));
  const std::vector<BranchStatement> rows = branch.FindStatements({}, std::nullopt, 100);
  ASSERT_EQ(rows.size(), 6u);
  const BranchStatement& wangFang = rows[0];
  const BranchStatement& zhangSan = rows[2];
  const BranchStatement& liMing = rows[4];
  EXPECT_TRUE(liMing.voided);
  EXPECT_FALSE(liMing.review.has_value());
  EXPECT_EQ(zhangSan.reprints, 2);
  EXPECT_FALSE(zhangSan.voided);
  EXPECT_EQ(zhangSan.clerk, "clerk_b");
  ASSERT_TRUE(zhangSan.review.has_value());
  EXPECT_EQ(zhangSan.review->reason, "借据号有误");
  ASSERT_TRUE(wangFang.review.has_value());
  EXPECT_EQ(wangFang.review->verdict, Verdict::kPass);
  EXPECT_EQ(wangFang.review->reviewer, "supervisor_s");
  EXPECT_EQ(wangFang.loanNumber, "JD-200");
  EXPECT_EQ(wangFang.recordedAt, "2026-03-04 00:00:00");
  EXPECT_EQ(branch.Terminals(), (std::vector<std::string>{"T01", "T02", "T03"}));
  EXPECT_EQ(branch.Clerks(), (std::vector<std::string>{"clerk_a", "clerk_b"}));
}

// Pages of every size, each after the last row of the one before, make up the
// whole history in order, once each, over many statements of the same second.
TEST(HistoryPaging, PagesAfterTheLastRowMakeUpTheWholeOrderedList) {
  const std::string database = FreshBranch();
  Terminal a(database, "clerk_a", "a.sqlite3"), b(database, "clerk_b", "b.sqlite3");
  for (int i = 0; i < 7; ++i) {
    const std::string at = i % 3 == 0 ? "2026-03-05 12:00:00" : "2026-03-05 12:00:0" + std::to_string(i);
    a.Record(at, "甲" + std::to_string(i), "JD-" + std::to_string(i));
    b.Record(i < 4 ? "2026-03-05 12:00:00" : at, "乙" + std::to_string(i), "JD-" + std::to_string(i));
  }
  a.Upload();
  b.Upload();
  Branch branch(Conninfo(database, "supervisor_s"));
  for (const auto& [looked, text] : {std::pair{20000, ""}, {1, "jd-"}, {20000, "jd-"}}) {
    historyNewestLooked = looked;
    BranchFilter filter;
    filter.text = text;
    const std::vector<BranchStatement> whole = branch.FindStatements(filter, std::nullopt, 1000);
    ASSERT_EQ(whole.size(), 14u);
    for (std::size_t i = 1; i < whole.size(); ++i) {
      EXPECT_GT(std::tie(whole[i - 1].recordedAt, whole[i - 1].terminal, whole[i - 1].seq),
                std::tie(whole[i].recordedAt, whole[i].terminal, whole[i].seq));
    }
    for (int size = 1; size <= 5; ++size) {
      std::vector<std::string> paged;
      std::optional<BranchStatement> after;
      for (;;) {
        const std::vector<BranchStatement> page = branch.FindStatements(filter, after, size);
        ASSERT_LE(page.size(), static_cast<std::size_t>(size));
        for (const BranchStatement& row : page) paged.push_back(row.terminal + row.serial);
        if (page.size() < static_cast<std::size_t>(size)) break;
        after = page.back();
      }
      std::vector<std::string> expected;
      for (const BranchStatement& row : whole) expected.push_back(row.terminal + row.serial);
      EXPECT_EQ(paged, expected) << "pages of " << size << " looking at " << looked;
    }
  }
  historyNewestLooked = 20000;
}

}  // namespace
}  // namespace quillbary::branch
