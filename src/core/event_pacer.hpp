// Decides when a run's long loops hand control to the window, in either
// window. They ask after every row, cell or pixel (millions of times per
// run), so asking must cost only a coarse clock read; the window still gets
// its events every 10 ms, which keeps repaints smooth without slowing the run.
#pragma once

#include <cstdint>

#include "core/platform.hpp"

namespace brackwyn {

class EventPacer {
 public:
  static constexpr std::int64_t kPeriodNanoseconds = 10'000'000;

  bool due() { return due(platform::CoarseNanoseconds()); }

  // True when a period has passed since the last time it said so.
  bool due(std::int64_t nowNanoseconds) {
    if (nowNanoseconds - last_ < kPeriodNanoseconds)
      return false;
    last_ = nowNanoseconds;
    return true;
  }

  // Starts the next period now, so that time spent handling the events (a
  // message box, say) does not count towards it.
  void restart() { restart(platform::CoarseNanoseconds()); }
  void restart(std::int64_t nowNanoseconds) { last_ = nowNanoseconds; }

 private:
  std::int64_t last_ = -kPeriodNanoseconds;  // the first question is answered yes
};

}  // namespace brackwyn
