// The part of one placement grid that placement can still change, held in
// memory. Placement visits pixel rows bottom to top, and a square reaches at
// most a fixed number of sub-cell rows below and above its anchor, so only a
// few bands of 8 sub-cell rows (one pixel row each) are live at a time. Bands
// that no later square can reach go to the band writer, which writes them to
// the work file, and a clean buffer takes their place. This keeps the memory
// small and the files sparse, and every write a large block.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/band_writer.hpp"
#include "objects/placement_files.hpp"

namespace brackwyn {

class PlacementWindow {
 public:
  // `reachBelow` and `reachAbove`: how many sub-cell rows a square may extend
  // below and above its anchor. `writer` must outlive the window.
  PlacementWindow(PlacementFile& file, BandWriter& writer, int reachBelow, int reachAbove);

  // Called before the squares of pixel row y are tested and marked; pixel
  // rows must come in ascending order. Hands over the bands left behind.
  void enterPixelRow(int y);
  // Hands over every band still held; the writer's finish() then waits for
  // them to be written.
  void finish();

  // Inclusive sub-cell ranges, already clipped to the grid and inside the
  // rows the current pixel row can reach.
  bool anyInSquare(int u0, int u1, int v0, int v1) const;
  // Starts loading the cache line holding sub-cell column sx in every row the
  // current pixel row's squares can reach. Placement calls it a little ahead
  // of use: a clean band was last written by the band writer, often on the
  // other core, and waiting for it there was most of the overlap tests' time.
  void prefetchColumn(int sx) const;
  void fillSquare(int u0, int u1, int v0, int v1, std::uint8_t kind);
  void set(int sx, int sy, std::uint8_t kind) { fillSquare(sx, sx, sy, sy, kind); }

 private:
  std::size_t slotOf(int sy) const { return static_cast<std::size_t>((sy >> 3) & slotMask_); }
  std::uint8_t* row(int sy) const {
    return slots_[slotOf(sy)].get() + static_cast<std::size_t>(sy & 7) * kSubCellRowBytes;
  }
  void flushBand(int band);

  PlacementFile& file_;
  BandWriter& writer_;
  int reachBelow_;
  int reachAbove_;
  int bandsBelow_;
  int bandsAbove_;
  int slotMask_;
  std::vector<BandBuffer> slots_;
  std::vector<BandPages> pages_;  // per slot: the pages holding a nonzero byte
  int low_ = 0;                   // live bands low_..high_
  int high_ = -1;
  int rowLow_ = 0;  // sub-cell rows the current pixel row can reach
  int rowHigh_ = -1;
};

}  // namespace brackwyn
