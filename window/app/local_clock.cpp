#include "app/local_clock.h"

#include <QDateTime>

namespace quillbary {

LocalMoment LocalClock::operator()() {
  const auto utc = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  if (utc != lastUtc_) {
    lastUtc_ = utc;
    const qint64 seconds = utc.time_since_epoch().count();
    const int offset = QDateTime::fromSecsSinceEpoch(seconds).offsetFromUtc();
    lastLocal_ = LocalMoment{std::chrono::seconds{seconds + offset}};
  }
  return lastLocal_;
}

}  // namespace quillbary
