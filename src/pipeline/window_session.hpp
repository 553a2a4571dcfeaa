// What both windows do around a run, without a toolkit: the window model and
// run state, the working folder and its switching before the run, one run per
// program start, the folder lock from the run until the window closes, the
// parameter buttons and their messages, and the work files deleted on closing. A window draws the
// model, hands its button clicks here and shows what the session asks it to through View.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/folder_lock.hpp"
#include "model/progress_reporter.hpp"
#include "model/run_state.hpp"
#include "model/window_model.hpp"
#include "pipeline/pipeline.hpp"

namespace brackwyn {

// The kinds of modal message a window shows.
enum class MessageKind {
  Information,  // the completion message: no icon
  Warning,      // settings a parameter file could not set
  Error         // a failed run, or a parameter file that could not be read or written
};

class WindowSession {
 public:
  using Runner = std::function<RunResult(RunContext&)>;

  class View {
   public:
    virtual ~View() = default;
    // A modal box with an OK button only.
    virtual void present(MessageKind kind, std::string_view title, std::string_view text) = 0;
    // The picture of a finished run; may throw as DrawRunPreview does.
    virtual void showPreview(const RunState& state, const WindowModel& window) = 0;
  };

  // The window works in `workingDirectory`: file names, "Parameters.ini"
  // and the work files.
  WindowSession(std::filesystem::path workingDirectory, View& view);

  WindowModel& model() { return model_; }
  const std::filesystem::path& workingDirectory() const { return state_->workingDirectory; }
  // A file this program writes after the run (the --screenshot picture): the
  // run refuses to start when one of its own files has that name.
  void addOutputAfterRun(std::string role, const std::filesystem::path& path) {
    state_->frontEndFiles.AddReplacedOutput(std::move(role), path);
  }
  // Checks those files against the last run's before they are written:
  // throws RunError as the run did when it refused to start.
  void checkOutputsAfterRun() const {
    OutputCheck all = state_->files;
    all.AddAll(state_->frontEndFiles);
    all.Check();
  }
  // What the start button runs; tests put in stand-ins for the pipeline.
  void setRunner(Runner runner) { runner_ = std::move(runner); }
  bool running() const { return running_; }
  std::optional<RunOutcome> lastOutcome() const { return lastOutcome_; }

  // "Open Folder…" works only before the run: the run's lock, work files and
  // preview belong to the folder it ran in.
  bool openFolderEnabled() const { return !running_ && model_.openFolderEnabled(); }
  // Works in `folder` from now on; false, changing nothing, once the run has
  // started.
  bool switchFolder(std::filesystem::path folder);

  // The start button: runs once per program start, inside the call, and
  // then shows the preview. True when the user closed the window during the
  // run, which the window then closes for good.
  bool startRun();
  void loadParameters();
  void saveParameters();

  // The window closes: the run is asked to give up, and unless it is still
  // unwinding, the work files go. True when the window may close now.
  bool close();
  // The system ends the program once this returns, without unwinding a run
  // in progress: its work files and partial plugin go here.
  void endSession();

 private:
  void deleteOwnWorkFiles();

  View& view_;
  WindowModel model_;
  ProgressReporter progress_{model_};
  std::unique_ptr<RunState> state_ = std::make_unique<RunState>();
  Runner runner_ = RunPipeline;
  // Held from the start of a run until the window closes: the work files are
  // this window's until then.
  std::optional<FolderLock> folderLock_;
  bool running_ = false;
  std::optional<RunOutcome> lastOutcome_;
};

}  // namespace brackwyn
