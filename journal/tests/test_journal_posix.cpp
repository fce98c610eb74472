// The test helpers that only POSIX has: a child process, and another owner.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "test_journal.h"

namespace quillbary::journal {

int InChildAsNobody(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void GiveToNobody(const std::filesystem::path& path) {
  if (geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0) << path;
  }
}

}  // namespace quillbary::journal
