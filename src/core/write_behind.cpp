#include "core/write_behind.hpp"

#include "core/stop_thread.hpp"

namespace brackwyn {
namespace {

// Large enough that the calls cost nothing next to the writing, small enough
// that little is left for the rename.
constexpr std::uint64_t kStartEveryBytes = 8 << 20;
// Ranges end on this boundary, so a block still being filled is not written twice.
constexpr std::uint64_t kRangeAlignment = 2 << 20;

}  // namespace

WriteBehind::WriteBehind(const PositionedFile& file) : file_(file), thread_([this] { run(); }) {}

void WriteBehind::written(std::uint64_t end) {
  {
    std::lock_guard lock(mutex_);
    written_ = end;
  }
  changed_.notify_one();
}

void WriteBehind::stop() {
  StopThread(thread_, mutex_, changed_, stopping_);
}

void WriteBehind::run() {
  std::uint64_t started = 0;
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return stopping_ || written_ - started >= kStartEveryBytes; });
    if (stopping_)
      return;
    const std::uint64_t end = written_ / kRangeAlignment * kRangeAlignment;
    lock.unlock();
    file_.startWriteBack(started, end - started);
    started = end;
    lock.lock();
  }
}

}  // namespace brackwyn
