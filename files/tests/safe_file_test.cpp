#include "quillbary/safe_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace quillbary::files {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Put(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

// The whole file at `target`, as a writer that cannot be recorded writes it.
void WriteWholeFile(const fs::path& target, std::string_view bytes,
                    const WriteOptions& options = {}) {
  SafeFile file(target, options);
  file.Write(bytes);
  file.Commit();
}

// A folder of the test's own, removed with everything in it.
class Folder {
 public:
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "safe-file-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~Folder() { fs::remove_all(path_); }
  fs::path operator/(const char* name) const { return path_ / name; }
  // Every name in the folder, sorted: nothing may be left beside the target.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

struct TargetCase {
  const char* name;
  std::function<void(const Folder&)> make;  // what stands at "out.csv" before
  std::optional<FileError::Kind> refused;
  std::vector<std::string> namesAfter;
};

class SafeFileTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(SafeFileTargetTest, ReplacesOnlyARegularFileAndLeavesNothingBeside) {
  const Folder folder;
  GetParam().make(folder);
  const WriteOptions options{{{"日志", folder / "journal.sqlite3"},
                              {"日志", folder / "journal.sqlite3-wal"}},
                             false};
  const auto write = [&] { WriteWholeFile(folder / "out.csv", "new", options); };
  if (GetParam().refused) {
    try {
      write();
      ADD_FAILURE() << "written";
    } catch (const FileError& e) {
      EXPECT_EQ(e.kind, *GetParam().refused) << e.what();
      EXPECT_NE(std::string(e.what()).find((folder / "out.csv").string()), std::string::npos);
    }
  } else {
    write();
    EXPECT_EQ(Read(folder / "out.csv"), "new");
  }
  EXPECT_EQ(folder.Names(), GetParam().namesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SafeFileTargetTest,
    testing::Values(
        TargetCase{"absent_is_made", [](const Folder&) {}, std::nullopt, {"out.csv"}},
        TargetCase{"regular_file_is_replaced",
                   [](const Folder& f) { Put(f / "out.csv", "old"); },
                   std::nullopt,
                   {"out.csv"}},
        TargetCase{"link_is_written_through_and_stays_a_link",
                   [](const Folder& f) {
                     Put(f / "real.csv", "old");
                     fs::create_symlink("real.csv", f / "out.csv");
                   },
                   std::nullopt,
                   {"out.csv", "real.csv"}},
        TargetCase{"folder_is_refused",
                   [](const Folder& f) { fs::create_directory(f / "out.csv"); },
                   FileError::Kind::kRefused,
                   {"out.csv"}},
        TargetCase{"fifo_is_refused",
                   [](const Folder& f) { ::mkfifo((f / "out.csv").c_str(), 0600); },
                   FileError::Kind::kRefused,
                   {"out.csv"}},
        TargetCase{"link_to_a_device_is_refused",
                   [](const Folder& f) { fs::create_symlink("/dev/null", f / "out.csv"); },
                   FileError::Kind::kRefused,
                   {"out.csv"}},
        TargetCase{"dangling_link_is_refused",
                   [](const Folder& f) { fs::create_symlink("nowhere.csv", f / "out.csv"); },
                   FileError::Kind::kRefused,
                   {"out.csv"}},
        TargetCase{"hard_link_to_the_journal_is_refused",
                   [](const Folder& f) {
                     Put(f / "journal.sqlite3", "journal");
                     fs::create_hard_link(f / "journal.sqlite3", f / "out.csv");
                   },
                   FileError::Kind::kRefused,
                   {"journal.sqlite3", "out.csv"}},
        TargetCase{"link_to_the_journal_is_refused",
                   [](const Folder& f) {
                     Put(f / "journal.sqlite3", "journal");
                     fs::create_symlink("journal.sqlite3", f / "out.csv");
                   },
                   FileError::Kind::kRefused,
                   {"journal.sqlite3", "out.csv"}},
        TargetCase{"link_to_a_journal_companion_not_there_yet_is_refused",
                   [](const Folder& f) { fs::create_symlink("journal.sqlite3-wal", f / "out.csv"); },
                   FileError::Kind::kRefused,
                   {"out.csv"}},
        TargetCase{"planted_names_are_never_followed",
                   [](const Folder& f) {
                     Put(f / "victim", "victim");
                     fs::create_symlink("victim", f / "out.csv.part");
                     fs::create_symlink("victim", f / "out.csv.tmp");
                   },
                   std::nullopt,
                   {"out.csv", "out.csv.part", "out.csv.tmp", "victim"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SafeFileTest, KeepsTheTargetsPermissionsAndMakesNewFilesPrivate) {
  const Folder folder;
  Put(folder / "shared.csv", "old");
  fs::permissions(folder / "shared.csv", fs::perms(0640));
  WriteWholeFile(folder / "shared.csv", "new");
  WriteWholeFile(folder / "new.csv", "new");
  EXPECT_EQ(fs::status(folder / "shared.csv").permissions(), fs::perms(0640));
  EXPECT_EQ(fs::status(folder / "new.csv").permissions(), fs::perms(0600));
}

TEST(SafeFileTest, ATemplateNeverReplacesASheet) {
  const Folder folder;
  Put(folder / "月末.csv", "a month of rows");
  EXPECT_THROW(WriteWholeFile(folder / "月末.csv", "template", {{}, true}), FileError);
  EXPECT_EQ(Read(folder / "月末.csv"), "a month of rows");
}

// Put in place inside a transaction that then fails: the write is undone.
TEST(SafeFileTest, AWriteNotKeptIsUndone) {
  const Folder folder;
  Put(folder / "old.csv", "old");
  {
    SafeFile replacing(folder / "old.csv");
    SafeFile making(folder / "new.csv");
    replacing.Write("new");
    making.Write("new");
    replacing.PutInPlace();
    making.PutInPlace();
    EXPECT_EQ(Read(folder / "old.csv"), "new");
  }
  EXPECT_EQ(Read(folder / "old.csv"), "old");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"old.csv"});
}

TEST(SafeFileTest, AWritePastTheFileSizeLimitIsAnErrorAndChangesNothing) {
  const Folder folder;
  Put(folder / "out.csv", "old");
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit small{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &small);
    try {
      WriteWholeFile(folder / "out.csv", std::string(10000, 'x'));
    } catch (const FileError& e) {
      ::_exit(e.kind == FileError::Kind::kDiskFull ? 0 : 2);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Read(folder / "out.csv"), "old");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.csv"});
}

class SafeFileSignalTest : public testing::TestWithParam<int> {};

TEST_P(SafeFileSignalTest, ASignalThatEndsTheProgramTakesTheTemporaryWithIt) {
  const Folder folder;
  const pid_t child = ::fork();
  if (child == 0) {
    SafeFile file(folder / "out.csv");
    file.Write("half");
    ::raise(GetParam());
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam());
  EXPECT_TRUE(folder.Names().empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, SafeFileSignalTest, testing::Values(SIGINT, SIGTERM, SIGHUP));

TEST(SafeFileTest, AKilledWritersLeftoverGoesWithTheNextWriteAndALiveOnesStays) {
  const Folder folder;
  const pid_t child = ::fork();
  if (child == 0) {
    SafeFile file(folder / "out.csv");
    file.Write("half");
    ::raise(SIGKILL);
  }
  ::waitpid(child, nullptr, 0);
  ASSERT_EQ(folder.Names().size(), 1u);
  EXPECT_NE(folder.Names()[0].find(".out.csv.quillbary-part-"), std::string::npos);

  SafeFile alive(folder / "out.csv");
  WriteWholeFile(folder / "out.csv", "whole");
  EXPECT_EQ(folder.Names().size(), 2u);  // out.csv and the live writer's folder
  EXPECT_EQ(Read(folder / "out.csv"), "whole");
}

}  // namespace
}  // namespace quillbary::files
