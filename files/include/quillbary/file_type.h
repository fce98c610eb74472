// What a path is, in the words a refusal names it by.
#pragma once

#include <sys/stat.h>

namespace quillbary::files {

// "是文件夹", "是命名管道（FIFO）", "是字符设备", "是块设备", "是套接字",
// "不是普通文件" for anything else that is not a regular file; nullptr for a
// regular file.
const char* NotARegularFile(mode_t mode);

}  // namespace quillbary::files
