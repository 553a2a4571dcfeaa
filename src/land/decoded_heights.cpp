#include "land/decoded_heights.hpp"

namespace brackwyn {

// The reader adds every step, the first one of the cell too (always 0 here),
// to a float running sum and scales by 8 units; the sums are whole numbers well
// inside float's exact range, so integer sums give the same values.
void DecodeCellHeights(const CellHeights& heights, int cell, float* out) {
  const auto* steps = reinterpret_cast<const std::int8_t*>(heights.steps(cell));
  auto rowStart = static_cast<int>(heights.baseHeight[static_cast<std::size_t>(cell)]);
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
    const std::int8_t* row = steps + dy * kVerticesPerCellSide;
    float* heightRow = out + dy * kVerticesPerCellSide;
    rowStart += row[0];
    int height = rowStart;
    heightRow[0] = static_cast<float>(height * kUnitsPerHeightStep);
    for (int dx = 1; dx < kVerticesPerCellSide; ++dx) {
      height += row[dx];
      heightRow[dx] = static_cast<float>(height * kUnitsPerHeightStep);
    }
  }
}

}  // namespace brackwyn
