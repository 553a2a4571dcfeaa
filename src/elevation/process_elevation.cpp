#include "elevation/process_elevation.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void ProcessElevation(RunContext& run) {
  (void)run;
  throw RunError("ProcessElevation is not built yet.");
}

}  // namespace brackwyn
