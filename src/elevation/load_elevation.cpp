#include "elevation/load_elevation.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "core/gray_bitmap.hpp"

namespace brackwyn {
namespace {

void LoadLayer(RunContext& run, const std::string& fileName, std::string_view role,
               HeightLayer& layer) {
  GrayBitmapReader bitmap(run.state.resolve(fileName), std::string(role));
  std::array<std::uint8_t, kBitmapSide> samples;
  for (int y = 0; y < kBitmapSide; ++y) {
    bitmap.sampleRow(y, samples.data());
    std::copy(samples.begin(), samples.end(), layer.row(y));
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
