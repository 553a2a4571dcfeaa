// The attempts of the pixel rows ahead of the one being placed, drawn on a
// second thread while the caller resolves overlaps in order. The thread
// assumes the live settings stay as they were when it started; a row asked
// for with other settings or from another stream position is drawn again, so
// the attempts are always those the caller would have drawn itself.
#pragma once

#include <memory>

#include "core/sequence_ahead.hpp"
#include "objects/draw_bytes_ahead.hpp"
#include "objects/placement_draws.hpp"

namespace brackwyn {

class DrawsAhead {
 public:
  // Rows up to `lastRow` are drawn ahead when `threads` is 2 or more;
  // otherwise every row is drawn when asked for.
  DrawsAhead(const ObjectDensity& density, std::uint64_t key, int lastRow, int threads);

  // The attempts of pixel row y under `settings`, from stream position
  // `counter`. Valid until the next call.
  const RowAttempts& take(int y, const DrawSettings& settings, std::uint64_t counter);
  // The row taken last, drawn again on this thread from pixel `from` on, after
  // a live setting changed in the middle of it.
  const RowAttempts& redraw(int from, const DrawSettings& settings, std::uint64_t counter);

 private:
  void start(int y, const DrawSettings& settings, std::uint64_t counter);

  PlacementDraws here_;
  std::unique_ptr<DrawBytesAhead> bytesAhead_;  // for ahead_, with two threads or more
  PlacementDraws ahead_;
  const int lastRow_;
  const bool threaded_;
  std::unique_ptr<RowAttempts> current_;
  DrawSettings aheadSettings_;
  SequenceAhead<RowAttempts> rows_;  // last: stops before what it uses goes
};

}  // namespace brackwyn
