#include "land/vertex_color_palette.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void CreatePalette(RunContext& run) {
  (void)run;
  throw RunError("CreatePalette is not built yet.");
}

}  // namespace brackwyn
