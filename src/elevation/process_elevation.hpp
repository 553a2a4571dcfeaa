#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Rows merged, across all threads, between two yields to the window.
inline constexpr int kMergedRowsPerYield = 64;

// Scales the three layers and merges them into HeightGrid with a -256 border,
// in one pass through the scaling tables; yields after each table and after
// each block of rows.
void ProcessElevation(RunContext& run);

// What this processor merges the layers with where their sums cannot leave
// 16 bits (elsewhere it is portable C++), for benchmarks to name.
const char* MergeInstructionSet();

}  // namespace brackwyn
