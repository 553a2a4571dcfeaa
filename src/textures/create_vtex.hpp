#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// " - Texturing the land - 50% Complete" after the cell row whose bottom is
// y0, counted like the other land stages.
std::string TexturingProgressText(int y0);

// With "Create Land Textures" checked, textures every square of every cell by
// the first rule of the texture index it qualifies for; unchecked, leaves the
// land untextured and writes no stage-time line.
void CreateVTEX(RunContext& run);

}  // namespace brackwyn
