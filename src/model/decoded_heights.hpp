// A cell's heights as the game rebuilds them from its VHGT data: the base plus
// the running sum of the steps, clipped steps included.
#pragma once

#include <cstdint>

#include "model/land_data.hpp"

namespace brackwyn {

// Writes the cell's kVerticesPerCell heights, in vertex order and in height
// steps of 8 game units, to `out`.
void DecodeCellHeights(const CellHeights& heights, int cell, std::int32_t* out);

// The same for any writer's VHGT data: a base height (a float, which other
// tools may fill with anything: it is rounded and held within +-1e6) and 4225
// two's complement steps.
void DecodeCellHeights(float baseHeight, const std::uint8_t* steps, std::int32_t* out);

}  // namespace brackwyn
