// A void is refused without a reason that has something besides blanks.
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
                      ReasonCase{"a_reason_between_blanks", "\u3000 x \n", true},
                      ReasonCase{"one_full_width_letter", "\uff21", true}),
    RowName());

}  // namespace
}  // namespace quillbary::journal
