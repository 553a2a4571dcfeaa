#include "pipeline/pipeline.hpp"

#include <new>

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

void RunStages(RunContext& run) {
  InitializeVariables(run);
  CheckRunFiles(run);
  CreatePalette(run);
  LoadElevation(run);
  ProcessElevation(run);
  CreateObjects(run);
  CreateVHGT(run);
  CreateVCLR(run);
  CreateVTEX(run);
  CreateESP(run);
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
  try {
    RunStages(run);
  } catch (const RunAbandoned&) {
    return {RunOutcome::Abandoned, "The run was abandoned."};
  } catch (const RunError& error) {
    return Fail(run, error.what());
  } catch (const std::bad_alloc&) {
    return Fail(run, "Not enough memory to finish the run.");
  } catch (const std::exception& error) {
    return Fail(run, std::string("The run stopped unexpectedly: ") + error.what());
  }
  run.window.setCaption(run.window.idleCaption());
  std::string message = CompletionMessage(run.state.parameters);
  run.window.frontEnd().showMessage(kProgramName, message);
  return {RunOutcome::Finished, std::move(message)};
}

}  // namespace brackwyn
