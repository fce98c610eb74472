// The failures of a batch run, typed: what went wrong and where, with the
// clerk's words for it made in one place (BatchFileError::what(), built by
// BatchErrorWords from the facts), as the calculation's errors are.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quillbary::batch {

// What is wrong with a file a batch reads or writes. The words each kind
// reads as stand in batch_error.cpp, with their worked examples in its test.
enum class BatchProblem {
  // Opening and reading the input (any type).
  kCannotOpen,         // systemError: "文件不存在", "没有读取权限", …
  kNotARegularFile,    // number: the file's mode ("是命名管道（FIFO），不是普通文件")
  kReadFailed,         // systemError
  kCannotRewind,       // systemError
  kChangedWhileRead,   //
  kEncryptedOrOldXls,  // a compound document
  kXlsxNameNotZip,     // named .xlsx but not a zip
  // A CSV file; row: the line.
  kNoConverter,         // detail: the encoding iconv lacks
  kUtf16,               //
  kNotUtf8AfterBom,     // row
  kNotText,             // row: bytes of no encoding
  kNulByte,             // row
  kTruncatedCharacter,  // row
  kRowTooLong,          // row: a line over 4 MB
  kCellTooLong,         // row (CSV and sheets): a cell over 1 MB
  kQuoteNotClosed,      // row: where the quote opened
  kTooManyColumns,      // row (0: the header), number: the cells counted
  // An XLSX file's zip and XML; part: the zip entry, partIsSheet when it is
  // the sheet read.
  kNotAZip,              // detail: libzip's reason
  kPartUnreadable,       // part, detail: libzip's reason
  kPartCorrupt,          // part
  kZipDirectoryCorrupt,  //
  kDuplicatePart,        // detail: the name, quoted
  kZipBomb,              // number: the limit, fileSize
  kTooManyElements,      // number: the limit, fileSize
  kXmlNoMemory,          // part
  kXmlTokenTooLong,      // part
  kXmlDoctype,           // part
  kXmlEntityDeclared,    // part, detail: the entity's name, quoted
  kXmlUndefinedEntity,   // part, detail: the entity's name, quoted
  kXmlTooDeep,           // part, number: the parsers' memory limit
  kXmlInvalid,           // part, detail: expat's reason, row: the XML line
  // A workbook's contents.
  kNoWorkbook,             //
  kNoSheets,               //
  kFirstSheetNotFound,     //
  kFirstSheetMissing,      // detail: its part, quoted
  kTooManySharedStrings,   //
  kStringTooLong,          // a shared string over 1 MB
  kSharedStringsTooLarge,  // number: the limit
  kTooManyNumberFormats,   //
  kTooManyCellFormats,     //
  // A sheet's rows and cells; row: the sheet's row number.
  kRowNotEnded,              // row
  kRowNumberUnreadable,      // row, detail: the number given, quoted
  kRowPastSheetEnd,          // row
  kRowOutOfOrder,            // row, number: the row it follows
  kCellReferenceUnreadable,  // row, detail: the reference, quoted
  kCellOutOfOrder,           // row, column, detail: the reference, quoted
  kColumnPastXfd,            // row
  kRowTextTooLong,           // row: a row's text over 16 MB
  kSharedStringMissing,      // row, detail: the index, quoted
  kSheetTextTooLarge,        // number: the limit, fileSize
  kSheetTooManyCells,        // number: the limit, fileSize
  // The run and its output.
  kOutputTooLarge,       // number: the cells allowed, column: the header's width,
                         // fileSize
  kLibraryMissing,       // detail: the loader's whole message
  kCannotCreateXlsx,     //
  kCannotWrite,          // detail: libxlsxwriter's reason
  kOutputPastSheetRows,  //
  kOutputCellTooLong,    // row: the output's row
  // The input's header.
  kEmptyFile,        //
  kDuplicateColumn,  // detail: the column's name, number and column: its places
  kMissingColumns,   // detail: the names missing, joined by "、"
};

// The facts a failure carries; a field the kind does not use stays empty.
struct BatchErrorFacts {
  BatchProblem problem{};
  std::string file{};          // as the clerk named it; empty for the header
  std::string part{};          // inside an XLSX file
  bool partIsSheet = false;    // the part is the sheet being read
  std::int64_t row = 0;        // the CSV line or the sheet's row, 1 up
  std::int64_t column = 0;     // 1 up
  std::uint64_t number = 0;    // a count or a limit, as the kind says
  std::uint64_t fileSize = 0;  // bytes, for the limits that grow with it
  int systemError = 0;         // errno
  std::string detail{};        // a name or a library's reason, as the kind says
};

// The clerk's words, the file first:
//   {kQuoteNotClosed, file "月末.csv", row 3}
//       -> "月末.csv：第 3 行起的引号直到文件末尾都没有结束"
//   {kXmlDoctype, file "a.xlsx", part "xl/styles.xml"}
//       -> "a.xlsx：XLSX 里的 xl/styles.xml 含有 DOCTYPE 声明（…），拒绝读取"
//   {kMissingColumns, detail "还款金额、还款方式"} -> "表头缺少列：还款金额、还款方式"
std::string BatchErrorWords(const BatchErrorFacts& facts);

// A file that cannot be read or written, or a run refused on the way.
class BatchFileError : public std::runtime_error {
 public:
  explicit BatchFileError(BatchErrorFacts facts);
  const BatchErrorFacts& facts() const noexcept { return facts_; }
  BatchProblem problem() const noexcept { return facts_.problem; }

 private:
  BatchErrorFacts facts_;
};

// A header that is missing, lacks a required column, or names one twice:
// kEmptyFile, kMissingColumns, kDuplicateColumn.
class BatchHeaderError : public BatchFileError {
 public:
  using BatchFileError::BatchFileError;
};

// Thrown when the progress sink stopped the run; nothing has been written.
class BatchCancelled : public std::runtime_error {
 public:
  BatchCancelled() : std::runtime_error("批量计算已取消") {}
};

}  // namespace quillbary::batch
