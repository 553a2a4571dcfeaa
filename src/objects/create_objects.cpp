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
  const std::filesystem::path index = state.resolve(state.parameters.objectIndexName);
  state.objectPalette = ReadObjectIndex(index);
  state.files.AddInput("object index file (txtObjectIndex)", index);
  for (int kind = 1; kind <= state.objectPalette.kindCount(); ++kind) {
    const ObjectKind& entry = state.objectPalette.kind(kind);
    state.files.AddInput(DensityBitmapRole(kind, entry), state.resolve(entry.bitmapFile));
  }
  state.files.Check();  // before the work files are made
  ObjectDensity density;
  LoadObjectDensities(run, density);
  PlacementFiles files = CreatePlacementFiles(run);
  PlaceObjects(run, density, files);
  run.progress.LogStageTime("CreateObjects");
}

}  // namespace brackwyn
