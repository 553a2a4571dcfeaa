#include "app/run_parameters.hpp"

#include <limits>

#include "app/number_text.hpp"
#include "app/run_error.hpp"
#include "app/run_state.hpp"

namespace brackwyn {
namespace {

// Entered in world units; the elevation grid counts steps of 8 units. Divided
// in double precision and rounded once to single precision.
float GridScale(const WindowModel& window, std::string_view name) {
  return static_cast<float>(SettingNumber(window, name) / 8.0);
}

std::int32_t Seed(const WindowModel& window) {
  double value = RoundHalfEven(SettingNumber(window, "txtObjectSeed"));
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw RunError("Setting " + DescribeSetting("txtObjectSeed") + ": " +
                   window.text("txtObjectSeed") +
                   " is outside the seed range -2147483648 to 2147483647.");
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

void InitializeVariables(RunContext& run) {
  run.progress.StartStage();
  run.window.setBeginEnabled(false);
  const WindowModel& window = run.window;
  RunParameters& p = run.state.parameters;
  p.interiorScale = GridScale(window, "txtScaleInterior");
  p.mountainScale = GridScale(window, "txtScaleMountain");
  p.coastBitmapName = window.text("txtBitmapCoast");
  p.interiorBitmapName = window.text("txtBitmapInterior");
  p.mountainBitmapName = window.text("txtBitmapMountain");
  p.objectIndexName = window.text("txtObjectIndex");
  p.masterFileName = window.text("txtESM");
  p.pluginFileName = window.text("txtESP");
  p.objectSeed = Seed(window);
  run.progress.LogStageTime("InitializeVariables");
}

}  // namespace brackwyn
