#pragma once

#include "app/run_state.hpp"

namespace brackwyn {

// Cuts HeightGrid into cells of base height and clipped height steps, reporting clipped vertices in
// txtLog.
void CreateVHGT(RunContext& run);

}  // namespace brackwyn
