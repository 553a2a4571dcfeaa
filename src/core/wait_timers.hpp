// How long the threads of a run wait for each other, by place: what the
// hand-offs between object placement's threads, and the plugin writer's, cost.
// Off unless a benchmark switches it on; until then a wait costs one test of a
// flag more.
#pragma once

#include <cstdint>

namespace brackwyn {

enum class WaitPlace {
  kNone,             // not timed
  kRowTaken,         // the placing thread in DrawsAhead::take, helping and waiting
  kRowHelping,       // of that, making random bytes while the row is not drawn
  kRowWaiting,       // of that, idle until the drawing thread hands the row over
  kRowsAheadFull,    // the drawing thread idle, its rows ahead all made
  kDrawBytes,        // a thread waiting for a chunk of random bytes another makes
  kBandBuffer,       // the placing thread waiting for a clean band buffer
  kBandsWritten,     // the placing thread waiting for the last bands to reach the files
  kBandWriterIdle,   // the band writing thread idle
  kCellTaken,        // the plugin writer waiting for its next encoded cell
  kCellsAheadFull,   // the cell encoding thread idle, its cells ahead all encoded
  kObjectsRowTaken,  // the cell encoding thread waiting for a row of cells' objects
  kCount,
};

// Switches the timers on or off and clears their totals.
void SetWaitTimers(bool on);
double WaitSeconds(WaitPlace place);
const char* WaitPlaceName(WaitPlace place);

// Adds the time from its construction to its destruction to `place`, when on.
class WaitTimer {
 public:
  explicit WaitTimer(WaitPlace place);
  ~WaitTimer();
  WaitTimer(const WaitTimer&) = delete;
  WaitTimer& operator=(const WaitTimer&) = delete;

 private:
  WaitPlace place_;
  std::int64_t start_ = -1;
};

}  // namespace brackwyn
