#include "objects/placement_window.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "core/nonzero_bytes.hpp"

namespace brackwyn {
namespace {

int BandsFor(int subCellRows) {
  return (subCellRows + kSubCellsPerPixelSide - 1) / kSubCellsPerPixelSide;
}

// A square's row is a few bytes wide: two overlapping word stores cost less
// than a call to memset.
void FillRow(std::uint8_t* p, std::uint8_t value, std::size_t n) {
  if (n >= 8 && n <= 16) {
    const std::uint64_t word = value * std::uint64_t{0x0101010101010101};
    std::memcpy(p, &word, sizeof word);
    std::memcpy(p + n - sizeof word, &word, sizeof word);
  } else if (n >= 4 && n < 8) {
    const std::uint32_t word = value * std::uint32_t{0x01010101};
    std::memcpy(p, &word, sizeof word);
    std::memcpy(p + n - sizeof word, &word, sizeof word);
  } else {
    std::memset(p, value, n);
  }
}

}  // namespace

PlacementWindow::PlacementWindow(PlacementFile& file, BandWriter& writer, int reachBelow,
                                 int reachAbove)
    : file_(file),
      writer_(writer),
      reachBelow_(reachBelow),
      reachAbove_(reachAbove),
      bandsBelow_(BandsFor(reachBelow)),
      bandsAbove_(BandsFor(reachAbove)) {
  auto slots = std::bit_ceil(static_cast<unsigned>(bandsBelow_ + bandsAbove_ + 1));
  slotMask_ = static_cast<int>(slots) - 1;
  for (unsigned slot = 0; slot < slots; ++slot)
    slots_.push_back(NewBandBuffer());
  pages_.assign(slots, 0);
}

void PlacementWindow::enterPixelRow(int y) {
  int newLow = std::max(0, y - bandsBelow_);
  if (high_ >= low_) {
    for (int band = low_; band < newLow && band <= high_; ++band)
      flushBand(band);
  }
  low_ = newLow;
  high_ = std::min(kBitmapSide - 1, y + bandsAbove_);
  if (high_ - low_ > slotMask_)
    throw std::logic_error("placement window too small");
  rowLow_ = std::max(0, kSubCellsPerPixelSide * y - reachBelow_);
  rowHigh_ = std::min(kSubCellGridSide - 1, kSubCellsPerPixelSide * y + 7 + reachAbove_);
}

void PlacementWindow::finish() {
  for (int band = low_; band <= high_; ++band)
    flushBand(band);
  high_ = low_ - 1;
}

// A band that never held a nonzero byte is still clean and costs nothing.
void PlacementWindow::flushBand(int band) {
  std::size_t slot = slotOf(band * kSubCellsPerPixelSide);
  if (pages_[slot] == 0)
    return;
  writer_.handOver(file_, band, slots_[slot], pages_[slot]);
  pages_[slot] = 0;
}

bool PlacementWindow::anyInSquare(int u0, int u1, int v0, int v1) const {
  auto width = static_cast<std::size_t>(u1 - u0 + 1);
  for (int v = v0; v <= v1; ++v) {
    if (AnyNonzero(row(v) + u0, width))
      return true;
  }
  return false;
}

void PlacementWindow::prefetchColumn(int sx) const {
  for (int v = rowLow_; v <= rowHigh_; ++v)
    __builtin_prefetch(row(v) + sx, 1);
}

// Marks the pages written as it goes, so that no one has to look for them.
void PlacementWindow::fillSquare(int u0, int u1, int v0, int v1, std::uint8_t kind) {
  auto width = static_cast<std::size_t>(u1 - u0 + 1);
  for (int v = v0; v <= v1; ++v) {
    FillRow(row(v) + u0, kind, width);
    const std::size_t rowStart = static_cast<std::size_t>(v & 7) * kSubCellRowBytes;
    const auto firstPage =
        static_cast<int>((rowStart + static_cast<std::size_t>(u0)) / kBandPageBytes);
    const auto lastPage =
        static_cast<int>((rowStart + static_cast<std::size_t>(u1)) / kBandPageBytes);
    pages_[slotOf(v)] |= ((BandPages{2} << (lastPage - firstPage)) - 1) << firstPage;
  }
}

}  // namespace brackwyn
