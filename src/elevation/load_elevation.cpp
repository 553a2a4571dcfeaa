#include "elevation/load_elevation.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void LoadElevation(RunContext& run) {
  (void)run;
  throw RunError("LoadElevation is not built yet.");
}

}  // namespace brackwyn
