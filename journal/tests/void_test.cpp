// A void: refused without a reason that has something in it, and found again
// with its reason, time and 经办人.
#include <gtest/gtest.h>

#include "test_journal.h"
#include "test_names.h"

namespace quillbary::journal {
namespace {

struct ReasonCase {
  std::string name;
  std::string reason;
  bool taken;
};

class VoidReason : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(VoidReason, IsTakenOnlyWithSomethingBesidesBlanks) {
  TempFolder folder;
  auto journal = OpenAt(folder / "journal.sqlite3");
  const std::string serial =
      journal->RecordStatement({}, SampleStatement(), {HandOnKind::kCopy, ""}).serial;
  std::optional<JournalError::Kind> refused;
  try {
    journal->RecordVoid(serial, GetParam().reason, "李四");
  } catch (const JournalError& error) {
    refused = error.kind;
  }
  EXPECT_EQ(refused,
            GetParam().taken ? std::nullopt : std::optional(JournalError::Kind::kNoReason));
  EXPECT_EQ(journal->EntryCount(), GetParam().taken ? 2 : 1);
  EXPECT_EQ(journal->Summary(serial)->voided, GetParam().taken);
}

INSTANTIATE_TEST_SUITE_P(
    Journal, VoidReason,
    ::testing::Values(ReasonCase{"empty", "", false}, ReasonCase{"spaces", "   ", false},
                      ReasonCase{"tab_and_line_breaks", "\t\r\n", false},
                      ReasonCase{"full_width_space", "\u3000\u3000", false},
                      ReasonCase{"no_break_and_thin_spaces", "\u00a0\u2009\u202f", false},
                      ReasonCase{"a_reason", "重复出具", true},
                      ReasonCase{"a_reason_between_blanks", "\u3000 x \n", true},
                      ReasonCase{"one_full_width_letter", "\uff21", true}),
    RowName());

TEST(JournalVoid, IsFoundWithItsReasonTimeAndClerk) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  const std::string serial =
      OpenAt(path, "2026-03-01 09:00:00")
          ->RecordStatement({"张三", "", "王五"}, SampleStatement(), {HandOnKind::kCopy, ""})
          .serial;
  auto journal = OpenAt(path, "2026-03-02 16:30:00");
  EXPECT_FALSE(journal->FindVoid(serial)) << "in force";
  journal->RecordVoid(serial, "金额录错", "李四");
  const std::optional<Entry> found = journal->FindVoid(serial);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->reason, "金额录错");
  EXPECT_EQ(found->recordedAt, "2026-03-02 16:30:00");
  EXPECT_EQ(found->header.clerk, "李四");
  EXPECT_TRUE(journal->CheckChain().intact);
}

}  // namespace
}  // namespace quillbary::journal
