#include "quillbary/batch_error.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace quillbary::batch {
namespace {

// The clerk's words for each shape of failure, made from its facts alone.
struct WordsCase {
  const char* name;
  BatchErrorFacts facts;
  const char* words;
};

class BatchErrorWordsTest : public ::testing::TestWithParam<WordsCase> {};

TEST_P(BatchErrorWordsTest, AreMadeFromTheFacts) {
  EXPECT_EQ(BatchErrorWords(GetParam().facts), GetParam().words);
  EXPECT_EQ(std::string(BatchFileError(GetParam().facts).what()), GetParam().words);
}

using P = BatchProblem;

INSTANTIATE_TEST_SUITE_P(
    Shapes, BatchErrorWordsTest,
    ::testing::Values(
        WordsCase{"LineOfACsvFile",
                  {.problem = P::kQuoteNotClosed, .file = "月末.csv", .row = 3},
                  "月末.csv：第 3 行起的引号直到文件末尾都没有结束"},
        WordsCase{"HeaderIsRowNought",
                  {.problem = P::kTooManyColumns, .file = "a.csv", .number = 16385},
                  "a.csv：表头有 16385 列，超过 16,384 列的上限"},
        WordsCase{"SystemErrorInPlainWords",
                  {.problem = P::kCannotOpen, .file = "a.csv", .systemError = ENOENT},
                  "a.csv：文件不存在"},
        WordsCase{"FileTypeNamed",
                  {.problem = P::kNotARegularFile, .file = "p", .number = S_IFIFO | 0600},
                  "p：是命名管道（FIFO），不是普通文件"},
        WordsCase{"FolderIsNotAFile",
                  {.problem = P::kNotARegularFile, .file = "d", .number = S_IFDIR | 0755},
                  "d：是文件夹，不是文件"},
        WordsCase{"PartOfAWorkbook",
                  {.problem = P::kXmlEntityDeclared,
                   .file = "a.xlsx",
                   .part = "xl/styles.xml",
                   .detail = "“a”"},
                  "a.xlsx：XLSX 里的 xl/styles.xml 声明了实体 “a”，拒绝展开实体"},
        WordsCase{"SheetAndItsXmlLine",
                  {.problem = P::kXmlInvalid,
                   .file = "a.xlsx",
                   .part = "xl/worksheets/sheet1.xml",
                   .partIsSheet = true,
                   .row = 7,
                   .detail = "mismatched tag"},
                  "a.xlsx：XLSX 里的工作表 xl/worksheets/sheet1.xml 不是有效的 XML"
                  "（mismatched tag，第 7 行）"},
        WordsCase{
            "LimitAgainstTheFilesSize",
            {.problem = P::kZipBomb,
             .file = "a.xlsx",
             .number = 80 << 20,
             .fileSize = (1 << 20) + 1},
            "a.xlsx：XLSX 解压后的 XML 超过 80 MB，而文件本身只有 2 MB：像是压缩炸弹，已停止读取"},
        WordsCase{"RowOfASheet",
                  {.problem = P::kRowOutOfOrder, .file = "a.xlsx", .row = 2, .number = 3},
                  "a.xlsx：第 2 行出现在第 3 行之后：行的顺序不对"},
        WordsCase{"HeaderWithoutTheFile",
                  {.problem = P::kDuplicateColumn, .column = 8, .number = 6, .detail = "月利率(‰)"},
                  "表头中“月利率(‰)”一列出现了两次（第 6 列和第 8 列）"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbary::batch
