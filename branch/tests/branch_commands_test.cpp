#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "branch_command_line.h"
#include "quillbary/branch_commands.h"
#include "test_journal.h"
#include "test_server.h"

namespace quillbary::branch {
namespace {

struct LineCase {
  const char* name;
  std::vector<const char*> args;
  bool isCommand;
  bool error;
};

class BranchCommandLineRead : public testing::TestWithParam<LineCase> {};

TEST_P(BranchCommandLineRead, TakesOrRefusesBeforeConnecting) {
  const std::optional<BranchCommandLine> line = ReadBranchCommandLine(GetParam().args);
  ASSERT_EQ(line.has_value(), GetParam().isCommand);
  if (line) {
    EXPECT_EQ(!line->error.empty(), GetParam().error) << line->error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BranchCommandLineRead,
    testing::Values(
        LineCase{"NoBranchCommand", {"--batch", "a.csv"}, false, false},
        LineCase{"Join", {"--join-branch", "service=branch"}, true, false},
        LineCase{"JoinWithoutConninfo", {"--join-branch"}, true, true},
        LineCase{"CheckBranchWithBranchToo", {"--check-branch", "a=b", "--branch", "c=d"}, true, true},
        LineCase{"JoinWithBranchToo", {"--join-branch", "a=b", "--branch", "c=d"}, true, true},
        LineCase{"TwoCommands", {"--upload-branch", "--close-day", "2026-12-10"}, true, true},
        LineCase{"UploadWithAValue", {"--upload-branch", "x"}, true, true},
        LineCase{"CloseDayOfOneTerminal", {"--close-day", "2026-12-10", "--terminal", "T02"}, true, false},
        LineCase{"CloseDayNoSuchDate", {"--close-day", "2026-02-30"}, true, true},
        LineCase{"CloseDayNotADate", {"--close-day", "12/10/2026"}, true, true},
        LineCase{"ReviewPass", {"--review", "2026-T01-000001", "通过"}, true, false},
        LineCase{"ReviewReturnWithReason", {"--review", "2026-T01-000001", "退回", "错"}, true, false},
        LineCase{"ReviewOtherVerdict", {"--review", "2026-T01-000001", "同意"}, true, true},
        LineCase{"UnknownOption", {"--upload-branch", "--fast"}, true, true},
        LineCase{"CloseDayToASheet", {"--close-day", "2026-12-10", "--output", "a.xlsx"}, true, false},
        LineCase{"OutputOfAnUpload", {"--upload-branch", "--output", "a.xlsx"}, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// What a clerk and a supervisor do from the command line, in order.
TEST(BranchCommands, JoinUploadReviewAndCloseTheDay) {
  const std::string database = FreshBranch();
  journal::TempFolder folder;
  const auto journalPath = folder / "j.sqlite3";
  journal::OpenAt(journalPath)->RecordStatement({}, journal::SampleStatement(), {});
  const std::string clerk = Conninfo(database, "clerk_a");
  const std::string supervisor = Conninfo(database, "supervisor_s");

  const auto run = [&](std::vector<const char*> args) {
    std::ostringstream out, err;
    const std::optional<int> status = AnswerBranchCommand(args, journalPath, out, err);
    return std::make_pair(status.value_or(-1), out.str() + err.str());
  };
  auto [status, said] = run({"--join-branch", clerk.c_str()});
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("终端 T01"), std::string::npos) << said;
  EXPECT_NE(said.find("已上传 1 条"), std::string::npos) << said;
  std::tie(status, said) = run({"--join-branch", clerk.c_str()});
  EXPECT_EQ(status, 3) << "joined twice: " << said;

  EXPECT_EQ(journal::OpenAt(journalPath)->RecordStatement({}, journal::SampleStatement(), {}).serial,
            "2026-T01-000002");
  std::tie(status, said) = run({"--upload-branch"});
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("已上传 1 条；分行数据库中终端 T01 共 2 条"), std::string::npos) << said;

  std::tie(status, said) = run({"--review", "2026-T01-000002", "通过"});
  EXPECT_EQ(status, 3) << "the maker reviewed: " << said;
  std::tie(status, said) =
      run({"--review", "2026-T01-000002", "退回", "借据号有误", "--branch", supervisor.c_str()});
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("退回（借据号有误），复核人 supervisor_s"), std::string::npos) << said;

  std::tie(status, said) = run({"--close-day", "2026-03-03", "--branch", supervisor.c_str()});
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(said.find("出具计息单  2 张"), std::string::npos) << said;
  EXPECT_NE(said.find("利息合计之和  1123.96 元"), std::string::npos) << said;
  EXPECT_NE(said.find("已复核      1 张，待复核 1 张"), std::string::npos) << said;
  EXPECT_NE(said.find("终端 T01 签名确认至第 2 条"), std::string::npos) << said;
  // Without the window's page maker a PDF is refused, and nothing is written.
  const std::string page = (folder / "日终.pdf").string();
  std::tie(status, said) = run({"--close-day", "2026-03-03", "--branch", supervisor.c_str(),
                                "--output", page.c_str()});
  EXPECT_EQ(status, 3) << said;
  EXPECT_FALSE(std::filesystem::exists(page));

  // The same close as a sheet, through the one writer: never over the journal.
  const std::string sheet = (folder / "日终.csv").string();
  std::tie(status, said) = run({"--close-day", "2026-03-03", "--branch", supervisor.c_str(),
                                "--output", sheet.c_str()});
  EXPECT_EQ(status, 0) << said;
  EXPECT_NE(journal::FileBytes(sheet).find("利息合计之和,,1123.96"), std::string::npos)
      << journal::FileBytes(sheet);
  const std::string ontoJournal = journalPath.string();
  std::tie(status, said) = run({"--close-day", "2026-03-03", "--branch", supervisor.c_str(),
                                "--output", ontoJournal.c_str()});
  EXPECT_EQ(status, 3) << said;
  EXPECT_TRUE(journal::OpenAt(journalPath)->CheckChain().intact);
}

TEST(BranchCommands, AServerThatIsNotThereIsReportedNotHungOn) {
  journal::TempFolder folder;
  const std::string nowhere = "host=" + (folder / "no-server").string() + " dbname=x";
  std::ostringstream out, err;
  const std::vector<const char*> args = {"--join-branch", nowhere.c_str()};
  EXPECT_EQ(AnswerBranchCommand(args, folder / "j.sqlite3", out, err), 3);
  EXPECT_NE(err.str().find("连接不上分行数据库"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace quillbary::branch
