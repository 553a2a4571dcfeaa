#include "pipeline/pipeline.hpp"

#include <new>
#include <string_view>
#include <utility>

#include "core/run_error.hpp"
#include "core/units.hpp"
#include "elevation/load_elevation.hpp"
#include "elevation/process_elevation.hpp"
#include "land/cell_colors.hpp"
#include "land/cell_heights.hpp"
#include "land/vertex_color_palette.hpp"
#include "objects/create_objects.hpp"
#include "pipeline/initialize_variables.hpp"
#include "pipeline/run_files.hpp"
#include "plugin/create_esp.hpp"
#include "textures/create_vtex.hpp"

namespace brackwyn {
namespace {

// `stage` names the stage running, for a message when memory runs out.
void RunStages(RunContext& run, std::string_view& stage) {
  using Stage = void (*)(RunContext&);
  static constexpr std::pair<std::string_view, Stage> kStages[] = {
      {"InitializeVariables", InitializeVariables},
      {"InitializeVariables", CheckRunFiles},
      {"CreatePalette", CreatePalette},
      {"LoadElevation", LoadElevation},
      {"ProcessElevation", ProcessElevation},
      {"CreateObjects", CreateObjects},
      {"CreateVHGT", CreateVHGT},
      {"CreateVCLR", CreateVCLR},
      {"CreateVTEX", CreateVTEX},
      {"CreateESP", CreateESP},
  };
  for (const auto& [name, function] : kStages) {
    stage = name;
    function(run);
  }
}

RunResult Fail(RunContext& run, std::string message) {
  run.window.setCaption(run.window.idleCaption());
  run.window.frontEnd().showError(kProgramName, message);
  return {RunOutcome::Failed, std::move(message)};
}

}  // namespace

std::string CompletionMessage(const RunParameters& parameters) {
  return "Finished! You may now copy " + parameters.masterFileName + " and " +
         parameters.pluginFileName + " to you Morrowind\\Data Files folder.";
}

RunResult RunPipeline(RunContext& run) {
  std::string_view stage;
  try {
    RunStages(run, stage);
  } catch (const RunAbandoned&) {
    return {RunOutcome::Abandoned, "The run was abandoned."};
  } catch (const RunError& error) {
    return Fail(run, error.what());
  } catch (const std::bad_alloc&) {
    return Fail(run, "Not enough memory to finish the run: the stage " + std::string(stage) +
                         " needed more than the system could give. Close other programs and "
                         "try again.");
  } catch (const std::exception& error) {
    return Fail(run, std::string("The run stopped unexpectedly: ") + error.what());
  }
  run.window.setCaption(run.window.idleCaption());
  std::string message = CompletionMessage(run.state.parameters);
  run.window.frontEnd().showMessage(kProgramName, message);
  return {RunOutcome::Finished, std::move(message)};
}

}  // namespace brackwyn
