// The part of one placement grid that placement can still change, held in
// memory. Placement visits pixel rows bottom to top, and a square reaches at
// most a fixed number of sub-cell rows below and above its anchor, so only a
// few bands of 8 sub-cell rows (one pixel row each) are live at a time. Bands
// that no later square can reach are written to the work file, skipping
// pages that hold only zeros (the reset file already reads as zero there),
// and their memory is reused. This keeps the memory small and the files
// sparse, and every write a large block.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/placement_files.hpp"

namespace brackwyn {

class PlacementWindow {
 public:
  // `reachBelow` and `reachAbove`: how many sub-cell rows a square may extend
  // below and above its anchor.
  PlacementWindow(PlacementFile& file, int reachBelow, int reachAbove);

  // Called before the squares of pixel row y are tested and marked; pixel
  // rows must come in ascending order. Writes out the bands left behind.
  void enterPixelRow(int y);
  // Writes out every band still held.
  void finish();

  // Inclusive sub-cell ranges, already clipped to the grid and inside the
  // rows the current pixel row can reach.
  bool anyInSquare(int u0, int u1, int v0, int v1) const;
  void fillSquare(int u0, int u1, int v0, int v1, std::uint8_t kind);
  void set(int sx, int sy, std::uint8_t kind) { fillSquare(sx, sx, sy, sy, kind); }

 private:
  std::uint8_t* row(int sy) {
    return slots_.data() + static_cast<std::size_t>((sy >> 3) & slotMask_) * kPixelRowBandBytes +
           static_cast<std::size_t>(sy & 7) * kSubCellRowBytes;
  }
  const std::uint8_t* row(int sy) const { return const_cast<PlacementWindow*>(this)->row(sy); }
  void flushBand(int band);

  PlacementFile& file_;
  int bandsBelow_;
  int bandsAbove_;
  int slotMask_;
  std::vector<std::uint8_t> slots_;
  std::vector<bool> changed_;  // per slot: holds a nonzero byte
  int low_ = 0;                // live bands low_..high_
  int high_ = -1;
};

}  // namespace brackwyn
