#pragma once

#include "app/run_state.hpp"

namespace brackwyn {

// Builds the vertex-colour table from the five colour bands.
void CreatePalette(RunContext& run);

}  // namespace brackwyn
