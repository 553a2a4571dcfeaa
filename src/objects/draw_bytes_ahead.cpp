#include "objects/draw_bytes_ahead.hpp"

#include <new>

#include "core/random_stream.hpp"
#include "core/stop_thread.hpp"
#include "core/wait_timers.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kMadeDraws = DrawBytesAhead::kChunkDraws + DrawBytesAhead::kReadPast;
static_assert(kMadeDraws % 16 == 0);  // whole steps of the vectorised draws

}  // namespace

DrawBytesAhead::DrawBytesAhead(std::uint64_t key, bool ownThread) : key_(key) {
  if (ownThread)
    thread_ = std::thread([this] { serve(); });
}

DrawBytesAhead::~DrawBytesAhead() {
  StopThread(thread_, mutex_, changed_, stopping_);
}

const std::uint8_t* DrawBytesAhead::bytes(std::uint64_t first, std::size_t count) {
  const std::uint64_t chunk = first / kChunkDraws;
  if (count == 0 || (first + count - 1) / kChunkDraws != chunk)
    return nullptr;
  if (chunk != currentChunk_)
    current_ = enterChunk(chunk);
  return current_->bytes.get() + (first - chunk * kChunkDraws);
}

void DrawBytesAhead::markBelow(std::uint8_t bound) {
  if (markedBound_ == bound)
    return;
  markedBound_ = bound;
  std::lock_guard lock(mutex_);
  markBound_ = bound;
}

const std::uint64_t* DrawBytesAhead::lowDraws(std::uint8_t bound, std::uint64_t first,
                                              std::size_t& offset) const {
  if (current_ == nullptr || current_->lowBound != bound)
    return nullptr;
  offset = static_cast<std::size_t>(first - currentChunk_ * kChunkDraws);
  return current_->low.get();
}

// The slot of the caller's chunk is never one the thread makes chunks in, so
// its bytes stay put until the caller moves on.
const DrawBytesAhead::Slot* DrawBytesAhead::enterChunk(std::uint64_t chunk) {
  std::unique_lock lock(mutex_);
  streaming_ = chunk == currentChunk_ + 1;
  wanted_ = chunk;
  currentChunk_ = chunk;
  if (std::uint64_t next = 0; shouldResume(next))
    changed_.notify_all();
  Slot& slot = slots_[chunk % kSlots];
  // While another thread makes this chunk, this one makes the next one due
  // rather than sit idle: the drawing thread scans a chunk in a fraction of
  // the time making one takes, so it would otherwise wait for every other one.
  for (std::uint64_t ahead = 0; slot.state == State::Making && nextToMakeAhead(ahead);)
    make(lock, slots_[ahead % kSlots], ahead);
  {
    WaitTimer timer(slot.state == State::Making ? WaitPlace::kDrawBytes : WaitPlace::kNone);
    changed_.wait(lock, [&] { return slot.state != State::Making; });
  }
  if (slot.chunk != chunk || slot.state != State::Ready)
    make(lock, slot, chunk);
  return &slot;
}

// Marks the slot as being made, makes it without the lock, then marks it ready.
void DrawBytesAhead::make(std::unique_lock<std::mutex>& lock, Slot& slot, std::uint64_t chunk) {
  // A slot gets its memory when first used: runs that seldom walk through the
  // stream chunk after chunk never need most of them. Should it fail, the
  // slot is left as it was.
  if (!slot.bytes) {
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(kMadeDraws);
    auto low = std::make_unique_for_overwrite<std::uint64_t[]>((kMadeDraws + 63) / 64);
    slot.bytes = std::move(bytes);
    slot.low = std::move(low);
  }
  slot.chunk = chunk;
  slot.state = State::Making;
  slot.lowBound = markBound_;
  lock.unlock();
  if (slot.lowBound == kNoMarks) {
    RandomStream::TopBytes(key_, chunk * kChunkDraws, kMadeDraws, slot.bytes.get());
  } else {
    RandomStream::TopBytesMarkingLow(key_, chunk * kChunkDraws, kMadeDraws,
                                     static_cast<std::uint8_t>(slot.lowBound), slot.bytes.get(),
                                     slot.low.get());
  }
  lock.lock();
  slot.state = State::Ready;
  changed_.notify_all();
}

// The next chunk after the caller's that is neither made nor being made, if
// the caller is walking through the stream. Called with the lock held.
bool DrawBytesAhead::nextToMakeAhead(std::uint64_t& chunk) const {
  if (!streaming_)
    return false;
  for (chunk = wanted_ + 1; chunk < wanted_ + kSlots; ++chunk) {
    const Slot& slot = slots_[chunk % kSlots];
    if (slot.state != State::Making && (slot.chunk != chunk || slot.state != State::Ready))
      return true;
  }
  return false;
}

bool DrawBytesAhead::makeOneAhead() {
  std::unique_lock lock(mutex_);
  std::uint64_t chunk = 0;
  if (stopping_ || !nextToMakeAhead(chunk))
    return false;
  make(lock, slots_[chunk % kSlots], chunk);
  return true;
}

// Waking this thread costs about as much as making a chunk, so once it has
// made every chunk it may, it sleeps until half of them are used and then
// makes them in a burst.
bool DrawBytesAhead::shouldResume(std::uint64_t& chunk) const {
  return nextToMakeAhead(chunk) && chunk - wanted_ <= kSlots / 2;
}

void DrawBytesAhead::serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    std::uint64_t chunk = 0;
    if (!nextToMakeAhead(chunk))
      changed_.wait(lock, [&] { return stopping_ || shouldResume(chunk); });
    if (stopping_)
      return;
    try {
      make(lock, slots_[chunk % kSlots], chunk);
    } catch (const std::bad_alloc&) {
      return;  // the drawing thread makes the rest, and reports the shortage if it meets it
    }
  }
}

}  // namespace brackwyn
