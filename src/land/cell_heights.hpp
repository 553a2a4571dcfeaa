#pragma once

#include <string>
#include <string_view>

#include "model/run_state.hpp"

namespace brackwyn {

// " - Calculating vertex heights - 98% Complete" after the cell row whose
// bottom is y0; the percentage is y0 / 3327, so it never reaches 100.
std::string CellRowProgressText(std::string_view what, int y0);

// Cuts HeightGrid into cells of base height and clipped height steps, reporting clipped vertices in
// txtLog.
void CreateVHGT(RunContext& run);

// What this processor computes height steps with, for benchmarks to name.
const char* HeightStepInstructionSet();

}  // namespace brackwyn
