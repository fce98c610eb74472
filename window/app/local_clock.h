// The local date and time, read from the system clock.
#pragma once

#include "quillbary/clock_face.h"

namespace quillbary {

// Reads the system clock on every call. The offset of local time is looked up
// only when the second changes, so a call within the same second costs one
// clock read.
class LocalClock {
 public:
  LocalMoment operator()();

 private:
  std::chrono::sys_seconds lastUtc_{std::chrono::seconds{-1}};
  LocalMoment lastLocal_{};
};

}  // namespace quillbary
