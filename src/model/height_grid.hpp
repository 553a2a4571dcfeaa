// HeightLayer and HeightGrid: flat row-major grids, row 0 at the bottom. A
// layer holds one bitmap's 8-bit samples (3328 x 3328), a heightmap layer a
// heightmap's samples of up to 16 bits; the grid holds the
// merged heights as signed 16-bit values, in steps of 8 world units, plus a
// border row and column (3329 x 3329).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/large_array_allocator.hpp"
#include "core/units.hpp"

namespace brackwyn {

template <int Side, class Value>
class SquareGrid {
 public:
  static constexpr int kSide = Side;

  void allocate() { values_.assign(std::size_t{Side} * Side, 0); }
  // For a grid whose every value is written before it is read.
  void allocateUnset() {
    values_.clear();
    values_.resize(std::size_t{Side} * Side);
  }
  void release() { values_ = LargeArray<Value>(); }
  bool empty() const { return values_.empty(); }

  static constexpr std::size_t index(int x, int y) {
    return static_cast<std::size_t>(y) * Side + static_cast<std::size_t>(x);
  }
  Value at(int x, int y) const { return values_[index(x, y)]; }
  Value& at(int x, int y) { return values_[index(x, y)]; }

  // Row y as a contiguous run of Side values.
  const Value* row(int y) const { return values_.data() + index(0, y); }
  Value* row(int y) { return values_.data() + index(0, y); }

  const LargeArray<Value>& values() const { return values_; }
  LargeArray<Value>& values() { return values_; }

 private:
  LargeArray<Value> values_;
};

using HeightLayer = SquareGrid<kBitmapSide, std::uint8_t>;
using HeightGrid = SquareGrid<kHeightGridSide, std::int16_t>;
// One heightmap's samples, 0 to heightmapMaximum each.
using HeightmapLayer = SquareGrid<kBitmapSide, std::uint16_t>;

// Either the three bitmaps' layers or one heightmap.
struct HeightLayers {
  HeightLayer coast;
  HeightLayer interior;
  HeightLayer mountain;
  HeightmapLayer heightmap;
  int heightmapMaximum = 0;
};

}  // namespace brackwyn
