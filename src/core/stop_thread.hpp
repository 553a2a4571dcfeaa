// The end of a thread that sleeps on a condition variable until it has work
// or is told to stop: the flag is set under the lock the thread waits with,
// so the wake-up cannot be missed, and the caller waits for the thread.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace brackwyn {

inline void StopThread(std::thread& thread, std::mutex& mutex, std::condition_variable& changed,
                       bool& stopping) {
  if (!thread.joinable())
    return;
  {
    std::lock_guard lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  thread.join();
}

}  // namespace brackwyn
