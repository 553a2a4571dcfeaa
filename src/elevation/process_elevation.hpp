#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Scales the three layers and merges them into HeightGrid with a -256 border.
void ProcessElevation(RunContext& run);

}  // namespace brackwyn
