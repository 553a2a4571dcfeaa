#include "pipeline/initialize_variables.hpp"

#include <limits>

#include "core/number_text.hpp"
#include "core/processor_features.hpp"
#include "core/run_error.hpp"
#include "model/control_names.hpp"
#include "model/setting_number.hpp"

namespace brackwyn {
namespace {

// Entered in world units; the elevation grid counts steps of 8 units. Divided
// in double precision and rounded once to single precision.
float GridScale(const WindowModel& window, std::string_view name) {
  return static_cast<float>(SettingNumber(window, name) / 8.0);
}

std::int32_t Seed(const WindowModel& window) {
  double value = RoundHalfEven(SettingNumber(window, control::txtObjectSeed));
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw RunError("Setting " + DescribeSetting(control::txtObjectSeed) + ": " +
                   window.text(control::txtObjectSeed) +
                   " is outside the seed range -2147483648 to 2147483647.");
  }
  return static_cast<std::int32_t>(value);
}

// Whole world units; their products with 16-bit samples stay exact in 64 bits.
void ReadHeightmapSettings(const WindowModel& window, RunParameters& p) {
  p.useHeightmap = window.state(control::chkHeightmap) != 0;
  p.heightmapName = window.text(control::txtHeightmap);
  if (!p.useHeightmap)
    return;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  p.heightmapLow = SettingWholeNumber(window, control::txtHeightmapLow, -kLimit, kLimit);
  p.heightmapHigh = SettingWholeNumber(window, control::txtHeightmapHigh, -kLimit, kLimit);
  if (p.heightmapLow >= p.heightmapHigh) {
    throw RunError("Setting " + DescribeSetting(control::txtHeightmapHigh) + ": " +
                   window.text(control::txtHeightmapHigh) + " is not above " +
                   DescribeSetting(control::txtHeightmapLow) + ", " +
                   window.text(control::txtHeightmapLow) + ". White must be higher than black.");
  }
}

}  // namespace

void InitializeVariables(RunContext& run) {
  run.progress.StartStage();
  run.window.setBeginEnabled(false);
  CheckProcessorCap();
  const WindowModel& window = run.window;
  RunParameters& p = run.state.parameters;
  p.interiorScale = GridScale(window, control::txtScaleInterior);
  p.mountainScale = GridScale(window, control::txtScaleMountain);
  p.coastBitmapName = window.text(control::txtBitmapCoast);
  p.interiorBitmapName = window.text(control::txtBitmapInterior);
  p.mountainBitmapName = window.text(control::txtBitmapMountain);
  p.objectIndexName = window.text(control::txtObjectIndex);
  p.masterFileName = window.text(control::txtESM);
  p.pluginFileName = window.text(control::txtESP);
  p.objectSeed = Seed(window);
  ReadHeightmapSettings(window, p);
  p.worldX = static_cast<int>(
      SettingWholeNumber(window, control::txtWorldX, kWorldCellMin, kWorldCellMax));
  p.worldY = static_cast<int>(
      SettingWholeNumber(window, control::txtWorldY, kWorldCellMin, kWorldCellMax));
  run.progress.LogStageTime("InitializeVariables");
}

}  // namespace brackwyn
