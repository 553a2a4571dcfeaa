#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Rows read, across all threads, between two yields to the window.
inline constexpr int kLoadedRowsPerYield = 64;

// Reads the three height bitmaps into HeightLayers and allocates an all-zero HeightGrid.
void LoadElevation(RunContext& run);

}  // namespace brackwyn
