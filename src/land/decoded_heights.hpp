// A cell's heights as the game rebuilds them from its VHGT data: the base plus
// the running sum of the steps, clipped steps included, in game units.
#pragma once

#include "model/land_data.hpp"

namespace brackwyn {

// Writes the cell's kVerticesPerCell heights, in vertex order and in game
// units, to `out`.
void DecodeCellHeightsInUnits(const CellHeights& heights, int cell, float* out);

}  // namespace brackwyn
