#include "plugin/create_esp.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void CreateESP(RunContext& run) {
  (void)run;
  throw RunError("CreateESP is not built yet.");
}

}  // namespace brackwyn
