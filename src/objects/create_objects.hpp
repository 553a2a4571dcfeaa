#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Places objects from the density bitmaps into the work files (skipped when chkCreateObjects is
// unchecked).
void CreateObjects(RunContext& run);

}  // namespace brackwyn
