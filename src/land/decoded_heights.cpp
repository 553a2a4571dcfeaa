#include "land/decoded_heights.hpp"

#include <array>

#include "model/decoded_heights.hpp"

namespace brackwyn {

// The game sums the steps in float and scales by 8 units; the sums are whole
// numbers well inside float's exact range, so integer sums give the same values.
void DecodeCellHeightsInUnits(const CellHeights& heights, int cell, float* out) {
  std::array<std::int32_t, kVerticesPerCell> steps;
  DecodeCellHeights(heights, cell, steps.data());
  for (int i = 0; i < kVerticesPerCell; ++i)
    out[i] = static_cast<float>(steps[static_cast<std::size_t>(i)] * kUnitsPerHeightStep);
}

}  // namespace brackwyn
