#include "core/wait_timers.hpp"

#include <array>
#include <atomic>
#include <chrono>

namespace brackwyn {
namespace {

constexpr auto kPlaces = static_cast<std::size_t>(WaitPlace::kCount);

std::atomic<bool> gOn{false};
std::array<std::atomic<std::int64_t>, kPlaces> gNanoseconds{};

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void SetWaitTimers(bool on) {
  for (auto& total : gNanoseconds)
    total = 0;
  gOn = on;
}

double WaitSeconds(WaitPlace place) {
  return static_cast<double>(gNanoseconds[static_cast<std::size_t>(place)].load()) * 1e-9;
}

const char* WaitPlaceName(WaitPlace place) {
  constexpr std::array<const char*, kPlaces> kNames = {
      "",
      "row take",
      "of it helping",
      "of it waiting",
      "rows ahead full",
      "random bytes",
      "band buffer",
      "bands written",
      "band writer idle",
      "cell take",
      "cells ahead full",
      "objects row take",
  };
  return kNames[static_cast<std::size_t>(place)];
}

WaitTimer::WaitTimer(WaitPlace place) : place_(place) {
  if (place != WaitPlace::kNone && gOn.load(std::memory_order_relaxed))
    start_ = Now();
}

WaitTimer::~WaitTimer() {
  if (start_ >= 0) {
    gNanoseconds[static_cast<std::size_t>(place_)].fetch_add(Now() - start_,
                                                             std::memory_order_relaxed);
  }
}

}  // namespace brackwyn
