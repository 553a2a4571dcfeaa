#include "objects/create_objects.hpp"

#include "model/control_names.hpp"
#include "objects/object_density.hpp"
#include "objects/object_index.hpp"
#include "objects/place_objects.hpp"
#include "objects/placement_files.hpp"

namespace brackwyn {

void CreateObjects(RunContext& run) {
  if (run.window.state(control::chkCreateObjects) == 0)
    return;
  RunState& state = run.state;
  state.objectPalette = ObjectPalette{};
  run.progress.StartStage();
  state.random.seed(state.parameters.objectSeed);
  state.objectPalette = ReadObjectIndex(state.resolve(state.parameters.objectIndexName));
  ObjectDensity density;
  LoadObjectDensities(run, density);
  PlacementFiles files = ResetPlacementFiles(run);
  PlaceObjects(run, density, files);
  run.progress.LogStageTime("CreateObjects");
}

}  // namespace brackwyn
