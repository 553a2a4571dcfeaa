// Decides when a run's long loops hand control to the window. They ask after
// every row, cell or pixel (millions of times per run), so asking must cost
// only a coarse clock read; the window still gets its events every 10 ms,
// which keeps repaints smooth without slowing the run down.
#pragma once

#include <cstdint>

#include <time.h>

namespace brackwyn::gui {

class EventPacer {
 public:
  static constexpr std::int64_t kPeriodNanoseconds = 10'000'000;

  bool due() { return due(CoarseNanoseconds()); }

  // True when a period has passed since the last time it said so.
  bool due(std::int64_t nowNanoseconds) {
    if (nowNanoseconds - last_ < kPeriodNanoseconds)
      return false;
    last_ = nowNanoseconds;
    return true;
  }

  // Starts the next period now, so that time spent handling the events (a
  // message box, say) does not count towards it.
  void restart() { restart(CoarseNanoseconds()); }
  void restart(std::int64_t nowNanoseconds) { last_ = nowNanoseconds; }

  // The coarse monotonic clock is read from memory without a system call
  // (a few nanoseconds); its resolution of a few milliseconds is plenty here.
  static std::int64_t CoarseNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
  }

 private:
  std::int64_t last_ = -kPeriodNanoseconds;  // the first question is answered yes
};

}  // namespace brackwyn::gui
