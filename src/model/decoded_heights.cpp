#include "model/decoded_heights.hpp"

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

// The reader adds every step, the first one of the cell too (always 0 in our
// plugins), to a running sum that starts at the base height.
void DecodeCellHeights(float baseHeight, const std::uint8_t* steps, std::int32_t* out) {
  std::int32_t rowStart = BaseHeightSteps(baseHeight);
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
    const std::uint8_t* row = steps + dy * kVerticesPerCellSide;
    std::int32_t* heightRow = out + dy * kVerticesPerCellSide;
    rowStart += static_cast<std::int8_t>(row[0]);
    std::int32_t height = rowStart;
    heightRow[0] = height;
    for (int dx = 1; dx < kVerticesPerCellSide; ++dx) {
      height += static_cast<std::int8_t>(row[dx]);
      heightRow[dx] = height;
    }
  }
}

void DecodeCellHeights(const CellHeights& heights, int cell, std::int32_t* out) {
  DecodeCellHeights(heights.baseHeight[static_cast<std::size_t>(cell)], heights.steps(cell), out);
}

}  // namespace brackwyn
