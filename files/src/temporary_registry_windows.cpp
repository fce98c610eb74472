// The Windows side: a console's Ctrl+C, Ctrl+Break or close ends the program
// on a thread of its own, after the handler below has removed the
// temporaries being written.
#include <windows.h>

#include <array>
#include <atomic>
#include <mutex>
#include <string>

#include "temporary_registry.h"

namespace quillbary::files::detail {
namespace {

struct Slot {
  std::atomic<bool> used{false};
  wchar_t file[MAX_PATH * 2] = {};
  wchar_t folder[MAX_PATH * 2] = {};
};

std::array<Slot, 32> slots;
std::mutex taking;

BOOL WINAPI RemoveTemporaries(DWORD) {
  for (Slot& slot : slots) {
    if (!slot.used.load()) continue;
    ::DeleteFileW(slot.file);
    ::RemoveDirectoryW(slot.folder);
  }
  return FALSE;  // the next handler, or the system, ends the program
}

bool Copy(const std::filesystem::path& path, wchar_t (&into)[MAX_PATH * 2]) {
  const std::wstring& text = path.native();
  if (text.size() >= std::size(into)) return false;
  text.copy(into, text.size());
  into[text.size()] = L'\0';
  return true;
}

}  // namespace

int Remember(const std::filesystem::path& file, const std::filesystem::path& folder) {
  static std::once_flag installed;
  std::call_once(installed, [] { ::SetConsoleCtrlHandler(RemoveTemporaries, TRUE); });
  std::lock_guard lock(taking);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    Slot& slot = slots[i];
    if (slot.used.load()) continue;
    if (!Copy(file, slot.file) || !Copy(folder, slot.folder)) return -1;
    slot.used.store(true);
    return static_cast<int>(i);
  }
  return -1;
}

void Forget(int slot) {
  if (slot < 0) return;
  std::lock_guard lock(taking);
  slots[static_cast<std::size_t>(slot)].used.store(false);
}

}  // namespace quillbary::files::detail
