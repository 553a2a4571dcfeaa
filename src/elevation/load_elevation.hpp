#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Reads the three height bitmaps into HeightLayers and allocates an all-zero HeightGrid.
void LoadElevation(RunContext& run);

}  // namespace brackwyn
