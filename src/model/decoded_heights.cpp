#include "model/decoded_heights.hpp"

namespace brackwyn {

// The reader adds every step, the first one of the cell too (always 0 here),
// to a running sum that starts at the base height.
void DecodeCellHeights(const CellHeights& heights, int cell, std::int32_t* out) {
  const auto* steps = reinterpret_cast<const std::int8_t*>(heights.steps(cell));
  auto rowStart = static_cast<std::int32_t>(heights.baseHeight[static_cast<std::size_t>(cell)]);
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
    const std::int8_t* row = steps + dy * kVerticesPerCellSide;
    std::int32_t* heightRow = out + dy * kVerticesPerCellSide;
    rowStart += row[0];
    std::int32_t height = rowStart;
    heightRow[0] = height;
    for (int dx = 1; dx < kVerticesPerCellSide; ++dx) {
      height += row[dx];
      heightRow[dx] = height;
    }
  }
}

}  // namespace brackwyn
