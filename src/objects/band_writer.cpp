#include "objects/band_writer.hpp"

#include <cstring>

#include "core/nonzero_bytes.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kPageBytes = 4096;

// Enough bands for the writes to ride out the page cache's slow moments
// (a pixel row hands over up to three), few enough to keep the memory small.
constexpr int kPoolBuffers = 16;

// Writes the runs of nonzero pages and zeros them again, leaving a clean
// buffer.
void WriteBand(PlacementFile& file, int band, std::uint8_t* bytes) {
  const std::uint64_t bandOffset = static_cast<std::uint64_t>(band) * kPixelRowBandBytes;
  auto writeRun = [&](std::size_t begin, std::size_t end) {
    file.write(bytes + begin, end - begin, bandOffset + begin);
    std::memset(bytes + begin, 0, end - begin);
  };
  std::size_t runStart = 0;
  std::size_t runEnd = 0;  // pending run of nonzero pages [runStart, runEnd)
  for (std::size_t page = 0; page < kPixelRowBandBytes; page += kPageBytes) {
    if (!AnyNonzero(bytes + page, kPageBytes))
      continue;
    if (page != runEnd) {
      if (runEnd > runStart)
        writeRun(runStart, runEnd);
      runStart = page;
    }
    runEnd = page + kPageBytes;
  }
  if (runEnd > runStart)
    writeRun(runStart, runEnd);
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

void BandWriter::handOver(PlacementFile& file, int band, BandBuffer& bytes) {
  if (!thread_.joinable()) {
    WriteBand(file, band, bytes.get());
    return;
  }
  std::unique_lock lock(mutex_);
  if (clean_.empty() && buffers_ < kPoolBuffers) {
    ++buffers_;
    clean_.push_back(NewBandBuffer());
  }
  changed_.wait(lock, [&] { return !clean_.empty() || failure_; });
  rethrowFailure();
  queue_.push_back({&file, band, std::move(bytes)});
  bytes = std::move(clean_.back());
  clean_.pop_back();
  lock.unlock();
  changed_.notify_all();
}

void BandWriter::finish() {
  if (thread_.joinable()) {
    std::unique_lock lock(mutex_);
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
      changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_)
        return;
      next = std::move(queue_.front());
      queue_.pop_front();
      writing_ = true;
    }
    try {
      WriteBand(*next.file, next.band, next.bytes.get());
    } catch (...) {
      std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
      writing_ = false;
      changed_.notify_all();
      return;
    }
    {
      std::lock_guard lock(mutex_);
      clean_.push_back(std::move(next.bytes));
      writing_ = false;
    }
    changed_.notify_all();
  }
}

void BandWriter::stop() {
  if (!thread_.joinable())
    return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

// Called with the mutex held, or with no thread.
void BandWriter::rethrowFailure() {
  if (failure_)
    std::rethrow_exception(failure_);
}

}  // namespace brackwyn
