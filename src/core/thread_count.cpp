#include "core/thread_count.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace brackwyn {
namespace {

// More threads than this only add start-up cost to the stages' short splits.
constexpr int kMostThreads = 64;

}  // namespace

int ThreadCountFor(const char* setting, unsigned hardwareThreads) {
  if (setting != nullptr) {
    const char* end = setting + std::strlen(setting);
    int count = 0;
    auto [stop, error] = std::from_chars(setting, end, count);
    if (error == std::errc{} && stop == end && count >= 1)
      return std::min(count, kMostThreads);
  }
  return std::clamp(static_cast<int>(std::min(hardwareThreads, 1024u)), 1, kMostThreads);
}

int ThreadCount() {
  return ThreadCountFor(std::getenv("BRACKWYN_THREADS"), std::thread::hardware_concurrency());
}

}  // namespace brackwyn
