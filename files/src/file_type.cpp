#include "quillbary/file_type.h"

namespace quillbary::files {

const char* NotARegularFile(mode_t mode) {
  if (S_ISREG(mode)) return nullptr;
  if (S_ISDIR(mode)) return "是文件夹";
  if (S_ISFIFO(mode)) return "是命名管道（FIFO）";
  if (S_ISCHR(mode)) return "是字符设备";
  if (S_ISBLK(mode)) return "是块设备";
#ifdef S_ISSOCK  // Windows has no sockets in its file system
  if (S_ISSOCK(mode)) return "是套接字";
#endif
  return "不是普通文件";
}

}  // namespace quillbary::files
