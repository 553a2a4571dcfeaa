#include "land/cell_heights.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void CreateVHGT(RunContext& run) {
  (void)run;
  throw RunError("CreateVHGT is not built yet.");
}

}  // namespace brackwyn
