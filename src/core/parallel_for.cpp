#include "core/parallel_for.hpp"

namespace brackwyn {

WorkerTeam::WorkerTeam(int threads) {
  for (int i = 1; i < threads; ++i)
    helpers_.emplace_back([this] { serve(); });
}

WorkerTeam::~WorkerTeam() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& helper : helpers_)
    helper.join();
}

void WorkerTeam::runParts(int parts, const std::function<void(int part)>& runPart) {
  failures_.assign(static_cast<std::size_t>(parts), nullptr);
  const std::function<void(int)> job = [&](int part) {
    try {
      runPart(part);
    } catch (...) {
      failures_[static_cast<std::size_t>(part)] = std::current_exception();
    }
  };
  {
    std::lock_guard lock(mutex_);
    job_ = &job;
    parts_ = parts;
    nextPart_ = 1;
    unfinished_ = parts - 1;
    ++round_;
  }
  wake_.notify_all();
  job(0);
  {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return unfinished_ == 0; });
    job_ = nullptr;
  }
  for (const std::exception_ptr& failure : failures_)
    if (failure)
      std::rethrow_exception(failure);
}

void WorkerTeam::serve() {
  std::uint64_t served = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || (round_ != served && nextPart_ < parts_); });
    if (stopping_)
      return;
    served = round_;
    while (nextPart_ < parts_) {
      const int part = nextPart_++;
      const std::function<void(int)>& job = *job_;
      lock.unlock();
      job(part);
      lock.lock();
      if (--unfinished_ == 0)
        finished_.notify_all();
    }
  }
}

}  // namespace brackwyn
