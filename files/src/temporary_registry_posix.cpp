#include "temporary_registry.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

namespace quillbary::files::detail {
namespace {

struct Slot {
  std::atomic<bool> used{false};
  char file[PATH_MAX] = {};
  char folder[PATH_MAX] = {};
};

std::array<Slot, 32> slots;
std::mutex taking;
constexpr std::array<int, 3> kEndingSignals = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[3];

// Async-signal-safe: unlink, rmdir, sigaction and raise only.
extern "C" void RemoveTemporaries(int signal) {
  for (Slot& slot : slots) {
    if (!slot.used.load()) continue;
    ::unlink(slot.file);
    ::rmdir(slot.folder);
  }
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
    if (kEndingSignals[i] != signal) continue;
    if (previous[i].sa_handler != SIG_DFL && previous[i].sa_handler != SIG_IGN &&
        !(previous[i].sa_flags & SA_SIGINFO)) {
      previous[i].sa_handler(signal);  // the program's own handler goes on as before
      return;
    }
    sigaction(signal, &previous[i], nullptr);
    ::raise(signal);
  }
}

void InstallOnce() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
      struct sigaction action {};
      action.sa_handler = RemoveTemporaries;
      sigemptyset(&action.sa_mask);
      sigaction(kEndingSignals[i], &action, &previous[i]);
      // A signal the program was started to ignore stays ignored.
      if (previous[i].sa_handler == SIG_IGN) sigaction(kEndingSignals[i], &previous[i], nullptr);
    }
    signal(SIGXFSZ, SIG_IGN);
  });
}

bool Copy(const std::filesystem::path& path, char (&into)[PATH_MAX]) {
  const std::string& text = path.native();
  if (text.size() >= PATH_MAX) return false;
  std::memcpy(into, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

int Remember(const std::filesystem::path& file, const std::filesystem::path& folder) {
  InstallOnce();
  std::lock_guard lock(taking);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    Slot& slot = slots[i];
    if (slot.used.load()) continue;
    if (!Copy(file, slot.file) || !Copy(folder, slot.folder)) return -1;
    slot.used.store(true);  // only once both names are whole
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
