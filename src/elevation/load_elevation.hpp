#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Rows read, across all threads, between two yields to the window.
inline constexpr int kLoadedRowsPerYield = 64;

inline constexpr char kHeightmapRole[] = "heightmap file (txtHeightmap)";

// Reads the three height bitmaps, or the one heightmap when the run uses it,
// into HeightLayers and allocates an all-zero HeightGrid.
void LoadElevation(RunContext& run);

}  // namespace brackwyn
