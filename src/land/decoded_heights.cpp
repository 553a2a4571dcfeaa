#include "land/decoded_heights.hpp"

#include <array>
#include <cmath>

namespace brackwyn {
namespace {

// Beyond this a picture or a height range shows nothing more, and the sums
// below stay far from overflow.
constexpr float kBaseHeightLimit = 1.0e6f;

std::int32_t BaseHeightSteps(float base) {
  if (!(base > -kBaseHeightLimit))  // also NaN
    return base > 0 ? static_cast<std::int32_t>(kBaseHeightLimit)
                    : -static_cast<std::int32_t>(kBaseHeightLimit);
  if (base > kBaseHeightLimit)
    return static_cast<std::int32_t>(kBaseHeightLimit);
  return static_cast<std::int32_t>(std::lround(base));
}

}  // namespace

// The left column climbs from the base, each row from its left vertex.
void DecodeCellHeights(float baseHeight, const std::uint8_t* steps, std::int32_t* out) {
  std::int32_t left = BaseHeightSteps(baseHeight);
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
    const std::uint8_t* row = steps + dy * kVerticesPerCellSide;
    std::int32_t* heights = out + dy * kVerticesPerCellSide;
    left += static_cast<std::int8_t>(row[0]);
    std::int32_t h = left;
    heights[0] = h;
    for (int dx = 1; dx < kVerticesPerCellSide; ++dx)
      heights[dx] = h += static_cast<std::int8_t>(row[dx]);
  }
}

// The reader adds every step, the first one of the cell too (always 0 here),
// to a float running sum and scales by 8 units; the sums are whole numbers well
// inside float's exact range, so integer sums give the same values.
void DecodeCellHeights(const CellHeights& heights, int cell, float* out) {
  std::array<std::int32_t, kVerticesPerCell> steps;
  DecodeCellHeights(heights.baseHeight[static_cast<std::size_t>(cell)], heights.steps(cell),
                    steps.data());
  for (int v = 0; v < kVerticesPerCell; ++v)
    out[v] = static_cast<float>(steps[static_cast<std::size_t>(v)] * kUnitsPerHeightStep);
}

}  // namespace brackwyn
