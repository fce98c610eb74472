#include "quillbary/batch_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "quillbary/file_type.h"

namespace quillbary::batch {
namespace {

std::string Megabytes(std::uint64_t bytes) {
  return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

std::string SystemReason(int error) {
  return std::strerror(error);
}

std::string CannotOpen(int error) {
  switch (error) {
    case ENOENT:
      return "文件不存在";
    case EACCES:
    case EPERM:
      return "没有读取权限";
    case ELOOP:
      return "符号链接绕成了环，找不到文件";
    case ENOTDIR:
      return "路径中有一段不是文件夹";
    case ENAMETOOLONG:
      return "路径太长";
    default:
      return "无法读取（" + SystemReason(error) + "）";
  }
}

// "是命名管道（FIFO），不是普通文件", "是文件夹，不是文件".
std::string NotAFile(std::uint64_t mode) {
  const char* what = files::NotARegularFile(static_cast<mode_t>(mode));
  if (what == nullptr) what = "不是普通文件";
  if (S_ISDIR(static_cast<mode_t>(mode))) return std::string(what) + "，不是文件";
  const bool named = std::string_view(what).starts_with("是");
  return named ? std::string(what) + "，不是普通文件" : std::string(what);
}

std::string Row(const BatchErrorFacts& f) {
  return "第 " + std::to_string(f.row) + " 行";
}

std::string Part(const BatchErrorFacts& f) {
  return "XLSX 里的" + std::string(f.partIsSheet ? "工作表 " : " ") + f.part;
}

std::string Unusual(const BatchErrorFacts& f) {
  return "，而文件本身只有 " + Megabytes(f.fileSize) + "：这不像正常的表格，已停止读取";
}

// The words after "FILE：".
std::string Reason(const BatchErrorFacts& f) {
  switch (f.problem) {
    case BatchProblem::kCannotOpen:
      return CannotOpen(f.systemError);
    case BatchProblem::kNotARegularFile:
      return NotAFile(f.number);
    case BatchProblem::kReadFailed:
      return "读取失败（" + SystemReason(f.systemError) + "）";
    case BatchProblem::kCannotRewind:
      return "无法回到文件开头（" + SystemReason(f.systemError) + "）";
    case BatchProblem::kChangedWhileRead:
      return "文件在读取期间被改动，请在它不再变化后重新计算";
    case BatchProblem::kEncryptedOrOldXls:
      return "文件是加密的 Excel 工作簿或旧的 .xls，请先取消密码并另存为 .xlsx";
    case BatchProblem::kXlsxNameNotZip:
      return "不是 XLSX 文件（不是 zip 压缩包）";
    case BatchProblem::kNoConverter:
      return "本机不能转换 " + f.detail + " 编码";
    case BatchProblem::kUtf16:
      return "文件是 UTF-16 编码，请另存为 UTF-8 或 GBK（GB18030）的 CSV";
    case BatchProblem::kNotUtf8AfterBom:
      return Row(f) + "含有不是 UTF-8 的字节，而文件开头的标记说它是 UTF-8";
    case BatchProblem::kNotText:
      return Row(f) + "含有既不是 UTF-8 也不是 GB18030 的字节：这不是文本 CSV 文件";
    case BatchProblem::kNulByte:
      return Row(f) + "含有 NUL 字节：这不是文本 CSV 文件";
    case BatchProblem::kTruncatedCharacter:
      return Row(f) + "的末尾有残缺的字符";
    case BatchProblem::kRowTooLong:
      return Row(f) + "超过 4 MB：这不是表格的一行";
    case BatchProblem::kCellTooLong:
      return Row(f) + "的单元格超过 1 MB";
    case BatchProblem::kQuoteNotClosed:
      return Row(f) + "起的引号直到文件末尾都没有结束";
    case BatchProblem::kTooManyColumns:
      return (f.row == 0 ? std::string("表头") : Row(f)) + "有 " + std::to_string(f.number) +
             " 列，超过 16,384 列的上限";
    case BatchProblem::kNotAZip:
      return "不是可读的 XLSX 文件（" + f.detail + "）";
    case BatchProblem::kPartUnreadable:
      return Part(f) + " 无法读取（" + f.detail + "）";
    case BatchProblem::kPartCorrupt:
      return Part(f) + " 已损坏";
    case BatchProblem::kZipDirectoryCorrupt:
      return "XLSX 的目录已损坏";
    case BatchProblem::kDuplicatePart:
      return "XLSX 里有两个同名的部分 " + f.detail + "，不知道该读哪一个";
    case BatchProblem::kZipBomb:
      return "XLSX 解压后的 XML 超过 " + Megabytes(f.number) + "，而文件本身只有 " +
             Megabytes(f.fileSize) + "：像是压缩炸弹，已停止读取";
    case BatchProblem::kTooManyElements:
      return "XLSX 的 XML 元素超过 " + std::to_string(f.number) + " 个" + Unusual(f);
    case BatchProblem::kXmlNoMemory:
      return Part(f) + " 无法解析：内存不足";
    case BatchProblem::kXmlTokenTooLong:
      return Part(f) + " 里有超过 256 KB 的标签、注释或处理指令：这不是正常的 XLSX";
    case BatchProblem::kXmlDoctype:
      return Part(f) + " 含有 DOCTYPE 声明（可以定义实体并层层展开，即“十亿笑”攻击），拒绝读取";
    case BatchProblem::kXmlEntityDeclared:
      return Part(f) + " 声明了实体 " + f.detail + "，拒绝展开实体";
    case BatchProblem::kXmlUndefinedEntity:
      return Part(f) + " 引用了未定义的实体 " + f.detail;
    case BatchProblem::kXmlTooDeep:
      return Part(f) + " 的 XML 结构需要超过 " + Megabytes(f.number) +
             " 的内存（元素嵌套太深或名字太多）：这不是正常的 XLSX";
    case BatchProblem::kXmlInvalid:
      return Part(f) + " 不是有效的 XML（" + f.detail + "，" + Row(f) + "）";
    case BatchProblem::kNoWorkbook:
      return "不是 XLSX 文件：里面没有工作簿（xl/workbook.xml）";
    case BatchProblem::kNoSheets:
      return "XLSX 里没有工作表";
    case BatchProblem::kFirstSheetNotFound:
      return "XLSX 里找不到第一张工作表";
    case BatchProblem::kFirstSheetMissing:
      return "XLSX 里没有第一张工作表（" + f.detail + "）";
    case BatchProblem::kTooManySharedStrings:
      return "XLSX 的共享字符串超过 4,194,304 个的上限";
    case BatchProblem::kStringTooLong:
      return "XLSX 里有超过 1 MB 的字符串";
    case BatchProblem::kSharedStringsTooLarge:
      return "XLSX 的共享字符串超过 " + Megabytes(f.number) + " 的上限";
    case BatchProblem::kTooManyNumberFormats:
      return "styles.xml 里的数字格式超过 65,536 个";
    case BatchProblem::kTooManyCellFormats:
      return "styles.xml 里的单元格格式超过 65,536 个";
    case BatchProblem::kRowNotEnded:
      return Row(f) + "还没有结束，又开始了一行";
    case BatchProblem::kRowNumberUnreadable:
      return Row(f) + "的行号 " + f.detail + " 无法识别";
    case BatchProblem::kRowPastSheetEnd:
      return Row(f) + "超出了工作表 1,048,576 行的上限";
    case BatchProblem::kRowOutOfOrder:
      return Row(f) + "出现在第 " + std::to_string(f.number) + " 行之后：行的顺序不对";
    case BatchProblem::kCellReferenceUnreadable:
      return Row(f) + "有无法识别的单元格位置 " + f.detail;
    case BatchProblem::kCellOutOfOrder:
      return Row(f) + "的单元格 " + f.detail + " 重复或不按顺序";
    case BatchProblem::kColumnPastXfd:
      return Row(f) + "超过了 16,384 列（XFD）的上限";
    case BatchProblem::kRowTextTooLong:
      return Row(f) + "的文字超过 16 MB";
    case BatchProblem::kSharedStringMissing:
      return Row(f) + "引用了不存在的共享字符串 " + f.detail;
    case BatchProblem::kSheetTextTooLarge:
      return "工作表的文字展开后超过 " + Megabytes(f.number) + Unusual(f);
    case BatchProblem::kSheetTooManyCells:
      return "工作表的单元格（连同中间的空格）超过 " + std::to_string(f.number) + " 个" +
             Unusual(f);
    case BatchProblem::kOutputTooLarge:
      return "结果将超过 " + std::to_string(f.number) + " 个单元格（表头有 " +
             std::to_string(f.column) + " 列，每行都要补齐），而文件本身只有 " +
             std::to_string(f.fileSize >> 20) + " MB：这不像正常的表格，已停止计算";
    case BatchProblem::kLibraryMissing:
      return f.detail;
    case BatchProblem::kCannotCreateXlsx:
      return "无法创建 XLSX 文件";
    case BatchProblem::kCannotWrite:
      return "无法写入（" + f.detail + "）";
    case BatchProblem::kOutputPastSheetRows:
      return "结果超过 Excel 一张工作表 1,048,576 行的上限，没有写出 XLSX；请以 .csv "
             "为输出文件名再算一次";
    case BatchProblem::kOutputCellTooLong:
      return Row(f) + "有超过 32767 个字符的单元格，XLSX 放不下；请输出 CSV";
    case BatchProblem::kEmptyFile:
      return "文件是空的，没有表头";
    case BatchProblem::kDuplicateColumn:
      return "表头中“" + f.detail + "”一列出现了两次（第 " + std::to_string(f.number) + " 列和第 " +
             std::to_string(f.column) + " 列）";
    case BatchProblem::kMissingColumns:
      return "表头缺少列：" + f.detail;
  }
  return "无法读取";
}

}  // namespace

std::string BatchErrorWords(const BatchErrorFacts& facts) {
  const std::string reason = Reason(facts);
  return facts.file.empty() ? reason : facts.file + "：" + reason;
}

BatchFileError::BatchFileError(BatchErrorFacts facts)
    : std::runtime_error(BatchErrorWords(facts)), facts_(std::move(facts)) {}

}  // namespace quillbary::batch
