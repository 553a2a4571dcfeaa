#include "objects/placement_window.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace brackwyn {
namespace {

constexpr std::size_t kPageBytes = 4096;

std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

bool AnyNonzero(const std::uint8_t* p, std::size_t n) {
  if (n >= 8) {
    std::uint64_t bits = Load64(p + n - 8);
    for (std::size_t i = 0; i + 8 <= n; i += 8)
      bits |= Load64(p + i);
    return bits != 0;
  }
  if (n >= 4)
    return (Load32(p) | Load32(p + n - 4)) != 0;
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < n; ++i)
    bits |= p[i];
  return bits != 0;
}

int BandsFor(int subCellRows) {
  return (subCellRows + kSubCellsPerPixelSide - 1) / kSubCellsPerPixelSide;
}

}  // namespace

PlacementWindow::PlacementWindow(PlacementFile& file, int reachBelow, int reachAbove)
    : file_(file), bandsBelow_(BandsFor(reachBelow)), bandsAbove_(BandsFor(reachAbove)) {
  auto slots = std::bit_ceil(static_cast<unsigned>(bandsBelow_ + bandsAbove_ + 1));
  slotMask_ = static_cast<int>(slots) - 1;
  slots_.assign(slots * kPixelRowBandBytes, 0);
  changed_.assign(slots, false);
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
}

void PlacementWindow::finish() {
  for (int band = low_; band <= high_; ++band)
    flushBand(band);
  high_ = low_ - 1;
}

void PlacementWindow::flushBand(int band) {
  auto slot = static_cast<std::size_t>(band & slotMask_);
  if (!changed_[slot])
    return;
  std::uint8_t* bytes = slots_.data() + slot * kPixelRowBandBytes;
  std::uint64_t bandOffset = static_cast<std::uint64_t>(band) * kPixelRowBandBytes;
  std::size_t runStart = 0;
  std::size_t runEnd = 0;  // pending run of nonzero pages [runStart, runEnd)
  for (std::size_t page = 0; page < kPixelRowBandBytes; page += kPageBytes) {
    if (!AnyNonzero(bytes + page, kPageBytes))
      continue;
    if (page != runEnd) {
      if (runEnd > runStart)
        file_.write(bytes + runStart, runEnd - runStart, bandOffset + runStart);
      runStart = page;
    }
    runEnd = page + kPageBytes;
  }
  if (runEnd > runStart)
    file_.write(bytes + runStart, runEnd - runStart, bandOffset + runStart);
  std::memset(bytes, 0, kPixelRowBandBytes);
  changed_[slot] = false;
}

bool PlacementWindow::anyInSquare(int u0, int u1, int v0, int v1) const {
  auto width = static_cast<std::size_t>(u1 - u0 + 1);
  for (int v = v0; v <= v1; ++v) {
    if (AnyNonzero(row(v) + u0, width))
      return true;
  }
  return false;
}

void PlacementWindow::fillSquare(int u0, int u1, int v0, int v1, std::uint8_t kind) {
  auto width = static_cast<std::size_t>(u1 - u0 + 1);
  for (int v = v0; v <= v1; ++v) {
    std::memset(row(v) + u0, kind, width);
    changed_[static_cast<std::size_t>((v >> 3) & slotMask_)] = true;
  }
}

}  // namespace brackwyn
