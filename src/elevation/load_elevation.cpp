#include "elevation/load_elevation.hpp"

#include <string>

#include "elevation/height_bitmap.hpp"

namespace brackwyn {
namespace {

void LoadLayer(RunContext& run, const std::string& fileName, std::string_view role,
               HeightLayer& layer) {
  HeightBitmapFile file(run.state.resolve(fileName), role);
  for (int y = 0; y < kBitmapSide; ++y) {
    file.sampleRow(y, layer.row(y));
    run.progress.YieldToUI();
  }
}

}  // namespace

void LoadElevation(RunContext& run) {
  run.progress.StartStage();
  HeightLayers& layers = run.state.layers;
  // Drop old contents first so a second run does not hold two sets at once.
  layers = HeightLayers();
  run.state.heightGrid.release();
  layers.coast.allocate();
  layers.interior.allocate();
  layers.mountain.allocate();
  run.state.heightGrid.allocate();

  run.progress.ShowProgress(" - Loading height bitmaps");
  const RunParameters& parameters = run.state.parameters;
  LoadLayer(run, parameters.coastBitmapName, "coast height bitmap (txtBitmapCoast)", layers.coast);
  LoadLayer(run, parameters.interiorBitmapName, "interior height bitmap (txtBitmapInterior)",
            layers.interior);
  LoadLayer(run, parameters.mountainBitmapName, "mountain height bitmap (txtBitmapMountain)",
            layers.mountain);
  run.progress.LogStageTime("LoadElevation");
}

}  // namespace brackwyn
