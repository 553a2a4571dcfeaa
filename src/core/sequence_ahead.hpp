// Items of a sequence made in order on a second thread, a few ahead of the
// one the caller takes next, so that making them overlaps with the caller's
// own work. The caller restarts the sequence when what the items were made
// from has changed; items are recycled to keep their buffers.
//
// Waking a thread costs more than making a small item, so a full queue lets
// the thread sleep until half of it is taken, and then it makes items in a
// burst: one wake-up per half queue instead of one per item.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/stop_thread.hpp"
#include "core/wait_timers.hpp"

namespace brackwyn {

template <class Item>
class SequenceAhead {
 public:
  // Makes item `index` into `item`, which may hold an earlier item's data.
  using Make = std::function<void(int index, Item& item)>;

  // `taking` times the caller's waits for an item, `making` the thread's for
  // room ahead.
  explicit SequenceAhead(std::size_t depth, WaitPlace taking = WaitPlace::kNone,
                         WaitPlace making = WaitPlace::kNone)
      : depth_(depth), refillBelow_(depth / 2 + 1), taking_(taking), making_(making) {}
  ~SequenceAhead() { stop(); }
  SequenceAhead(const SequenceAhead&) = delete;
  SequenceAhead& operator=(const SequenceAhead&) = delete;

  bool running() const { return thread_.joinable(); }
  // The index the next take() returns.
  int next() const { return next_; }

  // Makes items first..last, in order, with `make` on the thread.
  void start(int first, int last, Make make) {
    stop();
    stopping_ = false;
    failure_ = nullptr;
    next_ = first;
    thread_ = std::thread([this, first, last, make = std::move(make)] { run(first, last, make); });
  }

  // Waits for the thread to finish the item it is making and drops the rest.
  void stop() {
    if (!thread_.joinable())
      return;
    StopThread(thread_, mutex_, changed_, stopping_);
    for (auto& item : ready_)
      spare_.push_back(std::move(item));
    ready_.clear();
  }

  // The next item, once made; rethrows what making it threw. While it is not
  // made yet, `help` is called for as long as it finds work to do, so that
  // the caller's core does something useful rather than sit idle.
  std::unique_ptr<Item> take(const std::function<bool()>& help = {}) {
    std::unique_lock lock(mutex_);
    while (help && ready_.empty() && !failure_) {
      lock.unlock();
      const bool helped = help();
      lock.lock();
      if (!helped)
        break;
    }
    {
      WaitTimer timer(ready_.empty() ? taking_ : WaitPlace::kNone);
      changed_.wait(lock, [&] { return !ready_.empty() || failure_; });
    }
    if (ready_.empty())
      std::rethrow_exception(failure_);
    std::unique_ptr<Item> item = std::move(ready_.front());
    ready_.pop_front();
    ++next_;
    if (ready_.size() + 1 == refillBelow_) {
      lock.unlock();
      changed_.notify_all();
    }
    return item;
  }

  // Hands a taken item back for its buffers to be reused.
  void recycle(std::unique_ptr<Item> item) {
    std::lock_guard lock(mutex_);
    spare_.push_back(std::move(item));
  }

 private:
  void run(int first, int last, const Make& make) {
    try {
      for (int index = first; index <= last; ++index) {
        std::unique_ptr<Item> item;
        {
          std::unique_lock lock(mutex_);
          if (ready_.size() >= depth_) {
            WaitTimer timer(making_);
            changed_.wait(lock, [&] { return stopping_ || ready_.size() < refillBelow_; });
          }
          if (stopping_)
            return;
          if (spare_.empty()) {
            item = std::make_unique<Item>();
          } else {
            item = std::move(spare_.back());
            spare_.pop_back();
          }
        }
        make(index, *item);
        {
          std::lock_guard lock(mutex_);
          ready_.push_back(std::move(item));
        }
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
      changed_.notify_all();
    }
  }

  const std::size_t depth_;
  const std::size_t refillBelow_;
  const WaitPlace taking_;
  const WaitPlace making_;
  int next_ = 0;
  std::thread thread_;

  // Shared with the thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Item>> ready_;
  std::vector<std::unique_ptr<Item>> spare_;
  bool stopping_ = false;
  std::exception_ptr failure_;
};

}  // namespace brackwyn
