// Splits a range of independent items into contiguous parts, one a thread,
// the calling thread taking the first part. For loops whose items write to
// separate places; the result is the same for every thread count.
#pragma once

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace brackwyn {

// Calls work(begin, end) for parts covering [0, count) and returns when all
// are done, rethrowing the first part's failure.
template <class Work>
void ParallelFor(int count, int threads, const Work& work) {
  const int parts = std::clamp(threads, 1, std::max(count, 1));
  std::vector<std::thread> helpers;
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(parts));
  auto bounds = [&](int part) {
    return static_cast<int>(static_cast<long long>(count) * part / parts);
  };
  auto runPart = [&](int part) {
    try {
      work(bounds(part), bounds(part + 1));
    } catch (...) {
      failures[static_cast<std::size_t>(part)] = std::current_exception();
    }
  };
  for (int part = 1; part < parts; ++part)
    helpers.emplace_back(runPart, part);
  runPart(0);
  for (std::thread& helper : helpers)
    helper.join();
  for (const std::exception_ptr& failure : failures)
    if (failure)
      std::rethrow_exception(failure);
}

}  // namespace brackwyn
