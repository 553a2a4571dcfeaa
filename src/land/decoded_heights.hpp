// A cell's heights as the game rebuilds them from its VHGT data: the base plus
// the running sum of the steps, clipped steps included, in game units.
#pragma once

#include <cstdint>

#include "model/land_data.hpp"

namespace brackwyn {

// The decoding itself, for any writer's VHGT: the base height (a float, which
// other tools may fill with anything: it is rounded and held within +-1e6)
// and 4225 two's complement steps give 4225 heights in height steps.
void DecodeCellHeights(float baseHeight, const std::uint8_t* steps, std::int32_t* out);

// Writes the cell's kVerticesPerCell heights, in vertex order, to `out`.
void DecodeCellHeights(const CellHeights& heights, int cell, float* out);

}  // namespace brackwyn
