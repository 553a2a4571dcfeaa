#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Writes the plugin file: header, statics, and a CELL and LAND record per cell.
void CreateESP(RunContext& run);

}  // namespace brackwyn
