// The files every run reads and writes, checked before the first is written.
#pragma once

#include "model/run_state.hpp"

namespace brackwyn {

// Lists the inputs and outputs whose names the settings give at the start of
// the run, with the front end's files, in run.state.files, and checks them
// (see core/output_check.hpp). The object stage adds the density bitmaps and
// the texture stage the masks once they know them.
void CheckRunFiles(RunContext& run);

}  // namespace brackwyn
