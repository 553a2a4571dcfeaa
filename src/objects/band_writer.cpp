#include "objects/band_writer.hpp"

#include <bit>
#include <cstring>

#include "core/stop_thread.hpp"
#include "core/wait_timers.hpp"

namespace brackwyn {
namespace {

// Enough bands for the writes to ride out the page cache's slow moments
// (a pixel row hands over up to three), few enough to keep the memory small.
constexpr int kPoolBuffers = 16;
// Waking the thread costs about as much as writing a band, so it sleeps until
// this many wait, unless the caller needs a buffer back or waits for the end.
constexpr std::size_t kBandsPerWakeUp = 4;
static_assert(kBandsPerWakeUp < kPoolBuffers);

// Gaps of one or two clean pages between written ones are written too: a
// write costs the page cache about what two more pages cost, so one write
// of the whole stretch is cheaper than two, for a few pages of disk.
BandPages BridgeShortGaps(BandPages pages) {
  const BandPages oneGap = (pages << 1) & (pages >> 1) & ~pages;
  const BandPages twoGapStart = (pages << 1) & (pages >> 2) & ~pages & ~(pages >> 1);
  return pages | oneGap | twoGapStart | (twoGapStart << 1);
}

// Writes the runs of pages marked in `pages` and zeros them again, leaving a
// clean buffer.
void WriteBand(PlacementFile& file, int band, std::uint8_t* bytes, BandPages pages) {
  pages = BridgeShortGaps(pages);
  const std::uint64_t bandOffset = static_cast<std::uint64_t>(band) * kPixelRowBandBytes;
  while (pages != 0) {
    const int first = std::countr_zero(pages);
    const int count = std::countr_one(pages >> first);
    const std::size_t begin = static_cast<std::size_t>(first) * kBandPageBytes;
    const std::size_t size = static_cast<std::size_t>(count) * kBandPageBytes;
    file.write(bytes + begin, size, bandOffset + begin);
    std::memset(bytes + begin, 0, size);
    pages &= count == 64 ? 0 : ~(((BandPages{1} << count) - 1) << first);
  }
}

}  // namespace

BandBuffer NewBandBuffer() {
  return std::make_unique<std::uint8_t[]>(kPixelRowBandBytes);
}

BandWriter::BandWriter(int threads) {
  if (threads >= 2)
    thread_ = std::thread([this] { serve(); });
}

BandWriter::~BandWriter() {
  stop();
}

void BandWriter::handOver(PlacementFile& file, int band, BandBuffer& bytes, BandPages pages) {
  if (!thread_.joinable()) {
    WriteBand(file, band, bytes.get(), pages);
    return;
  }
  std::unique_lock lock(mutex_);
  if (clean_.empty() && buffers_ < kPoolBuffers) {
    ++buffers_;
    clean_.push_back(NewBandBuffer());
  }
  if (clean_.empty()) {
    WaitTimer timer(WaitPlace::kBandBuffer);
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !clean_.empty() || failure_; });
    waiting_ = false;
  }
  rethrowFailure();
  queue_.push_back({&file, band, std::move(bytes), pages});
  bytes = std::move(clean_.back());
  clean_.pop_back();
  const bool wake = queue_.size() == kBandsPerWakeUp;
  lock.unlock();
  if (wake)
    changed_.notify_all();
}

void BandWriter::finish() {
  if (thread_.joinable()) {
    std::unique_lock lock(mutex_);
    WaitTimer timer(WaitPlace::kBandsWritten);
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return (queue_.empty() && !writing_) || failure_; });
    rethrowFailure();
  }
  stop();
}

void BandWriter::serve() {
  for (;;) {
    Band next{};
    {
      std::unique_lock lock(mutex_);
      // Once awake, the thread writes until the queue is empty.
      if (!writing_) {
        WaitTimer timer(WaitPlace::kBandWriterIdle);
        changed_.wait(lock, [&] {
          return stopping_ || queue_.size() >= kBandsPerWakeUp || (waiting_ && !queue_.empty());
        });
      }
      if (stopping_)
        return;
      next = std::move(queue_.front());
      queue_.pop_front();
      writing_ = true;
    }
    try {
      WriteBand(*next.file, next.band, next.bytes.get(), next.pages);
    } catch (...) {
      std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
      writing_ = false;
      changed_.notify_all();
      return;
    }
    std::lock_guard lock(mutex_);
    clean_.push_back(std::move(next.bytes));
    writing_ = !queue_.empty();
    if (waiting_)
      changed_.notify_all();
  }
}

void BandWriter::stop() {
  StopThread(thread_, mutex_, changed_, stopping_);
}

// Called with the mutex held, or with no thread.
void BandWriter::rethrowFailure() {
  if (failure_)
    std::rethrow_exception(failure_);
}

}  // namespace brackwyn
