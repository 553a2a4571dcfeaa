// Writes the finished bands of the placement grids to their work files. Only
// the 4 KiB pages of a band that hold a nonzero byte are written, in runs:
// the reset file already reads as zero elsewhere, so it stays sparse. The
// caller says which pages those are, having marked them as it wrote.
//
// With two threads or more the writes run on a thread of their own, so that
// placement goes on while the page cache takes the bytes. A band is handed
// over by swapping its buffer for a clean one from a small pool, which keeps
// the memory bounded; the caller waits only when the pool is empty. A write
// that fails on the thread is reported to the caller by the next handOver()
// or by finish(), so a full disk always ends the stage naming the file.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "objects/placement_files.hpp"

namespace brackwyn {

// The bytes of one band, kPixelRowBandBytes long.
using BandBuffer = std::unique_ptr<std::uint8_t[]>;

// Which 4 KiB pages of a band hold a nonzero byte, bit i for page i.
inline constexpr std::size_t kBandPageBytes = 4096;
using BandPages = std::uint64_t;
static_assert(kPixelRowBandBytes % kBandPageBytes == 0 &&
              kPixelRowBandBytes / kBandPageBytes <= 64);

// A band buffer of zeros.
BandBuffer NewBandBuffer();

class BandWriter {
 public:
  // Writes on a thread of its own when `threads` is 2 or more, otherwise on
  // the caller's.
  explicit BandWriter(int threads);
  // Drops the bands not written yet: only a stage that is failing or being
  // abandoned leaves any.
  ~BandWriter();
  BandWriter(const BandWriter&) = delete;
  BandWriter& operator=(const BandWriter&) = delete;

  // Writes the `pages` of `bytes` as band `band` of `file` (at offset band x
  // kPixelRowBandBytes) and leaves a zeroed buffer in `bytes` to carry on
  // with; every other page of `bytes` must be zero. Throws RunError for this
  // write, or for an earlier one that failed.
  void handOver(PlacementFile& file, int band, BandBuffer& bytes, BandPages pages);
  // Returns once every band handed over is in its file; throws RunError when
  // a write failed.
  void finish();

 private:
  struct Band {
    PlacementFile* file;
    int band;
    BandBuffer bytes;
    BandPages pages;
  };

  void serve();
  void stop();
  void rethrowFailure();

  // Shared with the thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Band> queue_;
  std::vector<BandBuffer> clean_;
  int buffers_ = 0;       // in the pool: clean, queued or being written
  bool writing_ = false;  // the thread holds a band out of the queue, or goes on to the next
  bool waiting_ = false;  // the caller waits for a clean buffer or for the end
  bool stopping_ = false;
  std::exception_ptr failure_;

  std::thread thread_;  // last: starts once the members it uses exist
};

}  // namespace brackwyn
