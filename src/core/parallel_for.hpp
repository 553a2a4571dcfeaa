// Splits a range of independent items into contiguous parts, one a thread,
// the calling thread taking the first part. For loops whose items write to
// separate places; the result is the same for every thread count.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace brackwyn {

// Helper threads kept for the length of a stage, so that a stage splitting a
// loop once per row or block pays for starting them only once.
class WorkerTeam {
 public:
  // A team of `threads` in all, the calling thread included.
  explicit WorkerTeam(int threads);
  ~WorkerTeam();
  WorkerTeam(const WorkerTeam&) = delete;
  WorkerTeam& operator=(const WorkerTeam&) = delete;

  int size() const { return static_cast<int>(helpers_.size()) + 1; }

  // Calls work(begin, end) for parts covering [0, count) and returns when all
  // are done, rethrowing the first part's failure.
  template <class Work>
  void forEach(int count, const Work& work) {
    const int parts = std::clamp(size(), 1, std::max(count, 1));
    auto bounds = [&](int part) {
      return static_cast<int>(static_cast<long long>(count) * part / parts);
    };
    runParts(parts, [&](int part) { work(bounds(part), bounds(part + 1)); });
  }

 private:
  void runParts(int parts, const std::function<void(int part)>& runPart);
  void serve();

  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  const std::function<void(int)>* job_ = nullptr;
  std::vector<std::exception_ptr> failures_;
  int parts_ = 0;
  int nextPart_ = 0;
  int unfinished_ = 0;
  std::uint64_t round_ = 0;
  bool stopping_ = false;
};

// A one-off split: starts the helper threads for this loop alone.
template <class Work>
void ParallelFor(int count, int threads, const Work& work) {
  WorkerTeam team(std::clamp(threads, 1, std::max(count, 1)));
  team.forEach(count, work);
}

}  // namespace brackwyn
