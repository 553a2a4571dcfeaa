// The top bytes of the random stream's draws, made in chunks ahead of the
// position the drawing thread has reached. Placement in dense worlds spends
// most of its drawing on these bytes, and they depend on nothing but the
// stream's key and the position, so making them ahead never needs to be
// undone: only which draws a sub-cell uses is left to the drawing thread, in
// order.
//
// Threads that would otherwise wait make them: the placing thread while it
// waits for its next row, and, where the machine has a core to spare for it,
// a thread of their own. On two cores such a thread would only take turns
// with the two that place, and wake late; the drawing thread makes whatever
// chunk it reaches unmade.
//
// Chunks are made ahead only while the drawing thread walks through the
// stream chunk after chunk; where it skips ahead (pixels without a candidate
// kind), nothing is made for it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace brackwyn {

class DrawBytesAhead {
 public:
  static constexpr std::size_t kChunkDraws = std::size_t{1} << 16;
  // What a caller may read past the end of the draws it asked for.
  static constexpr std::size_t kReadPast = 64;

  // With `ownThread`, a thread of its own makes chunks ahead as well.
  DrawBytesAhead(std::uint64_t key, bool ownThread);
  ~DrawBytesAhead();
  DrawBytesAhead(const DrawBytesAhead&) = delete;
  DrawBytesAhead& operator=(const DrawBytesAhead&) = delete;

  // The top bytes of draws first .. first + count - 1, valid until the next
  // call, or null when they do not lie in one chunk. Called by one thread.
  const std::uint8_t* bytes(std::uint64_t first, std::size_t count);

  // Makes the next chunk ahead that is due, on the calling thread, for a
  // thread that would otherwise wait; false when none is due.
  bool makeOneAhead();

  // Chunks made from now on also mark their draws below `bound`, as
  // RandomStream::MarkLow does, while the bytes are still in registers.
  void markBelow(std::uint8_t bound);
  // The marks of the chunk of the last bytes() call when it was made with
  // `bound`, else null. Bit i of word i / 64 is the draw at chunk offset i;
  // `offset` gets the offset of that call's first draw.
  const std::uint64_t* lowDraws(std::uint8_t bound, std::uint64_t first, std::size_t& offset) const;

 private:
  static constexpr int kSlots = 32;
  enum class State { Free, Making, Ready };
  struct Slot {
    std::uint64_t chunk = 0;
    State state = State::Free;
    std::unique_ptr<std::uint8_t[]> bytes;
    std::unique_ptr<std::uint64_t[]> low;
    int lowBound = kNoMarks;
  };
  static constexpr int kNoMarks = -1;

  const Slot* enterChunk(std::uint64_t chunk);
  void make(std::unique_lock<std::mutex>& lock, Slot& slot, std::uint64_t chunk);
  bool nextToMakeAhead(std::uint64_t& chunk) const;
  bool shouldResume(std::uint64_t& chunk) const;
  void serve();

  const std::uint64_t key_;
  // The caller's chunk: read without the lock.
  std::uint64_t currentChunk_ = ~std::uint64_t{0};
  const Slot* current_ = nullptr;
  int markedBound_ = kNoMarks;  // the caller's copy of markBound_

  // Shared with the thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  Slot slots_[kSlots];
  std::uint64_t wanted_ = 0;  // the caller's chunk; the ones after it are made ahead
  bool streaming_ = false;    // the caller came to wanted_ from the chunk before it
  int markBound_ = kNoMarks;  // what chunks made from now on mark
  bool stopping_ = false;

  std::thread thread_;  // last: starts once the members it uses exist
};

}  // namespace brackwyn
