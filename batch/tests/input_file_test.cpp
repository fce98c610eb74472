#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
  const char* error;
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
    const std::string message = e.what();
    EXPECT_TRUE(message.starts_with(input.string() + "：")) << message;
    EXPECT_NE(message.find(GetParam().error), std::string::npos) << message;
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
                  "是命名管道（FIFO），不是普通文件"},
        InputCase{"Device", [](const TempFolder&) { return std::filesystem::path("/dev/zero"); },
                  "是字符设备，不是普通文件"},
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
                  "是套接字，不是普通文件"},
        InputCase{"UnreadableFolder",
                  [](const TempFolder& f) {
                    const auto path = f.Path("folder.csv");
                    std::filesystem::create_directory(path);
                    std::filesystem::permissions(path, std::filesystem::perms::none);
                    return path;
                  },
                  "是文件夹，不是文件"},
        InputCase{"SymlinkLoop",
                  [](const TempFolder& f) {
                    std::filesystem::create_symlink("b.csv", f.Path("a.csv"));
                    std::filesystem::create_symlink("a.csv", f.Path("b.csv"));
                    return f.Path("a.csv");
                  },
                  "符号链接绕成了环"},
        InputCase{"Missing", [](const TempFolder& f) { return f.Path("none.csv"); }, "文件不存在"},
        InputCase{"EncryptedWorkbook",
                  [](const TempFolder& f) {
                    return f.Write("secret.xlsx",
                                   "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(504, '\0'));
                  },
                  "文件是加密的 Excel 工作簿或旧的 .xls，请先取消密码并另存为 .xlsx"},
        InputCase{"XlsxNameNotAZip",
                  [](const TempFolder& f) { return f.Write("a.xlsx", "借款日期\n"); },
                  "不是 XLSX 文件（不是 zip 压缩包）"},
        // The encoding is decided over the whole file when it is opened; the
        // rows are read after it grew.
        InputCase{"CsvGrowsWhileRead",
                  [](const TempFolder& f) { return f.Write("grows.csv", "a,b\n1,2\n"); },
                  "文件在读取期间被改动",
                  [](const std::filesystem::path& file) {
                    std::ofstream(file, std::ios::app) << "3,4\n";
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbary::batch
