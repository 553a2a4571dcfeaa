// Has a file's written blocks put on disk by a thread of its own while the
// writer goes on with later ones. Renaming a file over another makes some
// file systems (ext4) write all of the new one back inside the rename; with
// the blocks already on their way, that rename returns at once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "core/positioned_file.hpp"

namespace brackwyn {

class WriteBehind {
 public:
  explicit WriteBehind(const PositionedFile& file);
  ~WriteBehind() { stop(); }
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // The first `end` bytes of the file are written.
  void written(std::uint64_t end);
  // Returns once the thread has ended; the file may be closed after it.
  void stop();

 private:
  void run();

  const PositionedFile& file_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t written_ = 0;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace brackwyn
