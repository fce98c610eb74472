#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../src/open_reader.h"
#include "quillbary/batch_file.h"
#include "temp_files.h"

namespace quillbary::batch {
namespace {

// What is handed to the batch instead of a file: each refused at once, named,
// never waited on.
struct InputCase {
  const char* name;
  std::function<std::filesystem::path(const TempFolder&)> make;
  BatchProblem error;
  // What the refusal names: the file's type (S_IFIFO, …) or the system's error.
  std::uint64_t fileType = 0;
  int systemError = 0;
  // Done to the file once it is open, before its rows are read.
  std::function<void(const std::filesystem::path&)> whileOpen = {};
};

class InputFileTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(InputFileTest, IsRefusedByName) {
  TempFolder folder;
  const std::filesystem::path input = GetParam().make(folder);
  try {
    std::unique_ptr<RowReader> reader = detail::OpenInputReader(input);
    if (GetParam().whileOpen) GetParam().whileOpen(input);
    std::vector<std::string> cells;
    while (reader->Next(cells)) {
    }
    ADD_FAILURE() << "read without an error";
  } catch (const BatchFileError& e) {
    EXPECT_EQ(e.facts().file, input.string()) << e.what();
    EXPECT_EQ(e.problem(), GetParam().error) << e.what();
    EXPECT_EQ(e.facts().number & S_IFMT, GetParam().fileType) << e.what();
    EXPECT_EQ(e.facts().systemError, GetParam().systemError) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, InputFileTest,
    ::testing::Values(
        InputCase{"Fifo",
                  [](const TempFolder& f) {
                    const auto path = f.Path("pipe.csv");
                    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
                    return path;
                  },
                  BatchProblem::kNotARegularFile, S_IFIFO},
        InputCase{"Device", [](const TempFolder&) { return std::filesystem::path("/dev/zero"); },
                  BatchProblem::kNotARegularFile, S_IFCHR},
        InputCase{"Socket",
                  [](const TempFolder& f) {
                    const auto path = f.Path("socket.csv");
                    sockaddr_un address{};
                    address.sun_family = AF_UNIX;
                    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
                    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
                    EXPECT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                    ::close(s);
                    return path;
                  },
                  BatchProblem::kNotARegularFile, S_IFSOCK},
        InputCase{"UnreadableFolder",
                  [](const TempFolder& f) {
                    const auto path = f.Path("folder.csv");
                    std::filesystem::create_directory(path);
                    std::filesystem::permissions(path, std::filesystem::perms::none);
                    return path;
                  },
                  BatchProblem::kNotARegularFile, S_IFDIR},
        InputCase{"SymlinkLoop",
                  [](const TempFolder& f) {
                    std::filesystem::create_symlink("b.csv", f.Path("a.csv"));
                    std::filesystem::create_symlink("a.csv", f.Path("b.csv"));
                    return f.Path("a.csv");
                  },
                  BatchProblem::kCannotOpen, 0, ELOOP},
        InputCase{"Missing", [](const TempFolder& f) { return f.Path("none.csv"); },
                  BatchProblem::kCannotOpen, 0, ENOENT},
        InputCase{"EncryptedWorkbook",
                  [](const TempFolder& f) {
                    return f.Write("secret.xlsx",
                                   "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(504, '\0'));
                  },
                  BatchProblem::kEncryptedOrOldXls},
        InputCase{"XlsxNameNotAZip",
                  [](const TempFolder& f) { return f.Write("a.xlsx", "借款日期\n"); },
                  BatchProblem::kXlsxNameNotZip},
        // The encoding is decided over the whole file when it is opened; the
        // rows are read after it grew.
        InputCase{"CsvGrowsWhileRead",
                  [](const TempFolder& f) { return f.Write("grows.csv", "a,b\n1,2\n"); },
                  BatchProblem::kChangedWhileRead, 0, 0,
                  [](const std::filesystem::path& file) {
                    std::ofstream(file, std::ios::app) << "3,4\n";
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbary::batch
