// What the writer promises on every system: any name, Chinese ones too, and
// the previous file kept whole unless the new one was wholly put in its place.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "quillbary/path_text.h"
#include "quillbary/safe_file.h"

namespace quillbary::files {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

enum class Ending {
  kCommitted,    // Commit(): the new file stands
  kNeverPlaced,  // the writer gave up before PutInPlace (a failed write)
  kPlacedNotKept // put in place, then the recording was refused
};

struct ReplaceCase {
  const char* name;
  const char* target;  // under a fresh folder, UTF-8
  std::optional<std::string> before;
  Ending ending;
  std::optional<std::string> after;
};

class ReplaceTest : public testing::TestWithParam<ReplaceCase> {
 protected:
  void SetUp() override {
    std::random_device seed;
    folder_ = fs::path(testing::TempDir()) / ("replace-" + std::to_string(seed()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_P(ReplaceTest, ThePreviousFileStaysUnlessTheNewOneStands) {
  const ReplaceCase& c = GetParam();
  const fs::path target = folder_ / PathOfUtf8(c.target);
  EXPECT_EQ(Utf8Of(target.filename()), Utf8Of(PathOfUtf8(c.target).filename()));
  fs::create_directories(target.parent_path());
  if (c.before) std::ofstream(target, std::ios::binary) << *c.before;
  {
    SafeFile file(target);
    file.Write("new");
    if (c.ending == Ending::kCommitted) file.Commit();
    if (c.ending == Ending::kPlacedNotKept) file.PutInPlace();
  }
  EXPECT_EQ(Read(target), c.after);
  // Nothing of the write is left beside the target.
  std::size_t names = 0;
  for (const auto& entry : fs::directory_iterator(target.parent_path())) names += !entry.path().empty();
  EXPECT_EQ(names, c.after ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, ReplaceTest,
    testing::Values(
        ReplaceCase{"new_file_in_a_chinese_folder", "贷款资料/月末 结果.csv", std::nullopt,
                    Ending::kCommitted, "new"},
        ReplaceCase{"chinese_name_replaced", "还款明细.csv", "old", Ending::kCommitted, "new"},
        ReplaceCase{"failed_write_keeps_the_old_file", "贷款资料/月末.csv", "old",
                    Ending::kNeverPlaced, "old"},
        ReplaceCase{"refused_record_puts_the_old_file_back", "贷款资料/月末.csv", "old",
                    Ending::kPlacedNotKept, "old"},
        ReplaceCase{"refused_record_takes_a_new_file_away", "月末.csv", std::nullopt,
                    Ending::kPlacedNotKept, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceTest, AFolderInTheTargetsPlaceIsRefusedAndKept) {
  const fs::path folder = fs::path(testing::TempDir()) / PathOfUtf8("结果文件夹");
  fs::create_directories(folder);
  try {
    SafeFile file(folder);
    ADD_FAILURE() << "a folder was taken for a file";
  } catch (const FileError& e) {
    EXPECT_EQ(e.kind, FileError::Kind::kRefused);
    EXPECT_NE(std::string(e.what()).find("结果文件夹"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(fs::is_directory(folder));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace quillbary::files
