#include "pipeline/window_session.hpp"

#include <stdexcept>
#include <system_error>

#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "core/units.hpp"
#include "model/control_names.hpp"
#include "model/parameter_file.hpp"
#include "pipeline/work_files.hpp"

namespace brackwyn {
namespace {

bool AnyWorkFileIn(const std::filesystem::path& folder) {
  std::error_code error;
  for (std::string_view name : kWorkFileNames) {
    if (std::filesystem::exists(folder / name, error) || error)
      return true;  // one that cannot be looked at may be there
  }
  return false;
}

}  // namespace

WindowSession::WindowSession(std::filesystem::path workingDirectory, View& view) : view_(view) {
  state_->workingDirectory = std::move(workingDirectory);
}

bool WindowSession::switchFolder(std::filesystem::path folder) {
  if (!openFolderEnabled())
    return false;
  state_->workingDirectory = std::move(folder);
  return true;
}

bool WindowSession::startRun() {
  if (running_ || !model_.beginEnabled())
    return false;
  try {
    if (!folderLock_)
      folderLock_.emplace(workingDirectory());
  } catch (const RunError& error) {  // another run uses the folder: try again later
    view_.present(MessageKind::Error, kProgramName, error.what());
    return false;
  }
  DeleteWorkFilesOnForcedStop(workingDirectory(), model_.text(control::txtESP));
  running_ = true;
  RunContext run{model_, progress_, *state_};
  RunResult result = runner_(run);
  running_ = false;
  // After the clipping reports, where the modder looks once the run is over.
  for (const std::string& warning : state_->objectPalette.warnings)
    model_.appendText(control::txtLog, "Object index, " + warning + "\r\n");
  lastOutcome_ = result.outcome;
  if (model_.closeRequested())
    return true;
  if (result.outcome == RunOutcome::Finished) {
    try {
      view_.showPreview(*state_, model_);
    } catch (const std::logic_error&) {
      // A stand-in runner made no land: there is nothing to draw.
    } catch (const std::exception& error) {
      view_.present(MessageKind::Error, kProgramName,
                    std::string("The plugin is written, but its preview could not be drawn: ") +
                        error.what());
    }
  }
  return false;
}

void WindowSession::loadParameters() {
  try {
    ParameterLoadReport report = LoadParameters(model_, workingDirectory() / kParameterFileName);
    if (!report.keptSettings.empty())
      view_.present(MessageKind::Warning, kProgramName, KeptSettingsMessage(report));
  } catch (const std::exception& error) {
    view_.present(MessageKind::Error, kProgramName, error.what());
  }
}

void WindowSession::saveParameters() {
  try {
    SaveParameters(model_, workingDirectory() / kParameterFileName);
  } catch (const std::exception& error) {
    view_.present(MessageKind::Error, kProgramName, error.what());
  }
}

bool WindowSession::close() {
  if (running_) {
    // The run gives up at its next yield, removing its partial plugin on the
    // way out; startRun() then says that the window is to close.
    model_.requestClose();
    return false;
  }
  deleteOwnWorkFiles();
  return true;
}

void WindowSession::endSession() {
  model_.requestClose();
  deleteOwnWorkFiles();
  if (running_ && folderLock_) {
    std::error_code ignored;
    std::filesystem::remove(TemporaryBeside(state_->resolve(model_.text(control::txtESP))),
                            ignored);
  }
}

// Work files of a run that another program is making in this folder are not
// this window's to delete. A window that did not run, in a folder without
// work files (such as the home folder it opened on), leaves no lock file there.
void WindowSession::deleteOwnWorkFiles() {
  if (!folderLock_ && !AnyWorkFileIn(workingDirectory()))
    return;
  try {
    if (!folderLock_)
      folderLock_ = FolderLock::TryTake(workingDirectory());
  } catch (const RunError&) {
    return;  // no lock file can be made here: nor could any run have made work files
  }
  if (folderLock_)
    DeleteWorkFiles(workingDirectory());
}

}  // namespace brackwyn
