// The first stage of every run.
#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Disables the start button and fills RunParameters from the window.
void InitializeVariables(RunContext& run);

}  // namespace brackwyn
