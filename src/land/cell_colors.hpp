#pragma once

#include "app/run_state.hpp"

namespace brackwyn {

// Colours every vertex of every cell from the palette (all white when vertex colours are off).
void CreateVCLR(RunContext& run);

}  // namespace brackwyn
