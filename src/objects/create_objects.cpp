#include "objects/create_objects.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void CreateObjects(RunContext& run) {
  if (run.window.state("chkCreateObjects") == 0)
    return;
  throw RunError("Setting " + DescribeSetting("chkCreateObjects") +
                 ": object creation is not available yet in this version; uncheck it.");
}

}  // namespace brackwyn
