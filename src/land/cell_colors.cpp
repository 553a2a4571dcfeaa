#include "land/cell_colors.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void CreateVCLR(RunContext& run) {
  (void)run;
  throw RunError("CreateVCLR is not built yet.");
}

}  // namespace brackwyn
