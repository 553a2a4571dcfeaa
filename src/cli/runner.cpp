#include "cli/runner.hpp"

#include "cli/export_command.hpp"
#include "cli/inspect_command.hpp"
#include "cli/interrupt_signals.hpp"
#include "cli/run_summary.hpp"
#include "cli/runner_front_end.hpp"
#include "cli/setting_list.hpp"
#include "core/folder_lock.hpp"
#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "core/utf8_path.hpp"
#include "model/control_names.hpp"
#include "model/parameter_file.hpp"
#include "pipeline/pipeline.hpp"
#include "pipeline/work_files.hpp"
#include "preview/png_file.hpp"
#include "preview/run_preview.hpp"

namespace brackwyn::cli {
namespace {

// Names a file of the working folder the way the user would type it.
std::string Shown(const RunState& state, std::string_view name) {
  return Utf8FromPath(state.resolve(name).lexically_normal());
}

void Warn(const Console& console, std::string_view text) {
  console.err << kCommandName << ": warning: " << text << "\n";
}

void LoadInto(WindowModel& window, const RunState& state, const Console& console) {
  ParameterLoadReport report = LoadParameters(window, state.resolve(kParameterFileName));
  if (report.createdEmptyFile) {
    Warn(console, "there was no " + Shown(state, kParameterFileName) +
                      "; an empty one was created and every setting kept its value.");
    return;
  }
  for (const std::string& kept : report.keptSettings)
    Warn(console, Shown(state, kParameterFileName) + ": " + kept);
}

constexpr char kClippingReportRole[] = "clipping report";
constexpr char kPreviewRole[] = "preview picture (--preview)";

std::filesystem::path PreviewPath(const RunState& state, const CliOptions& options) {
  return state.resolve(options.preview.string());
}

// The plugin is in place by now: a report that cannot be written fails the
// exit status but does not hide the rest of the summary.
bool WriteClippingReport(const WindowModel& window, const RunState& state, const Console& console) {
  try {
    ReplacingFile file(state.resolve(kClippingReportFileName), kClippingReportRole,
                       ReplacingFile::Sync::Never);
    const std::string& log = window.text(control::txtLog);
    file.append(log.data(), log.size());
    file.commit();
    return true;
  } catch (const RunError& error) {
    console.err << kCommandName << ": " << error.what() << "\n";
    return false;
  }
}

// Like the clipping report, a preview that cannot be written fails the exit
// status but leaves the plugin in place.
bool WritePreview(const RunContext& run, const CliOptions& options, const Console& console) {
  if (options.preview.empty())
    return true;
  try {
    std::filesystem::path path = PreviewPath(run.state, options);
    WritePngFile(DrawRunPreview(run.state, run.window, {options.previewScale, true}), path,
                 kPreviewRole);
    console.out << "\nWrote the preview picture to " << path.lexically_normal().string() << ".\n";
    return true;
  } catch (const RunError& error) {
    console.err << kCommandName << ": " << error.what() << "\n";
    return false;
  }
}

int ReportFinishedRun(const RunResult& result, const RunContext& run, const CliOptions& options,
                      const Console& console) {
  std::ostream& out = console.out;
  bool reportWritten = WriteClippingReport(run.window, run.state, console);
  out << result.message << "\n\n";
  out << "Procedure execution times:\n"
      << StageTimeLogText(run.window.text(control::txtTimes)) << "\n";
  out << ClippingSummary(run.window.text(control::txtLog),
                         reportWritten ? Shown(run.state, kClippingReportFileName) : "");
  if (std::string warnings = IndexWarningSummary(
          run.state.objectPalette, Shown(run.state, run.state.parameters.objectIndexName));
      !warnings.empty())
    out << "\n" << warnings;
  if (std::string objects = ObjectCountSummary(run.state.objectPalette, run.state.objectCounts);
      !objects.empty())
    out << "\n" << objects;
  if (options.timings)
    out << "\n" << StageDurationTable(run.progress.timings());
  bool previewWritten = WritePreview(run, options, console);
  return reportWritten && previewWritten ? kSuccess : kRunFailed;
}

// The folder's lock is held from before the first stage until the work files
// are gone, so that no other run can share or delete them meanwhile.
int Run(RunContext& run, TerminalProgress& progress, const CliOptions& options,
        const Console& console, bool& finished) {
  FolderLock lock(run.state.workingDirectory);
  // Written after the run, checked with its files before it starts.
  run.state.frontEndFiles.AddReplacedOutput(kClippingReportRole,
                                            run.state.resolve(kClippingReportFileName));
  if (!options.preview.empty())
    run.state.frontEndFiles.AddReplacedOutput(kPreviewRole, PreviewPath(run.state, options));
  DeleteWorkFilesOnForcedStop(run.state.workingDirectory, run.window.text(control::txtESP));
  RunResult result = RunPipeline(run);
  progress.finish();
  DeleteWorkFiles(run.state.workingDirectory);
  switch (result.outcome) {
    case RunOutcome::Finished:
      // The new plugin is in place: a signal from now on changes nothing.
      finished = true;
      return ReportFinishedRun(result, run, options, console);
    case RunOutcome::Failed:
      console.err << kCommandName << ": " << result.message << "\n";
      if (options.timings)
        console.out << StageDurationTable(run.progress.timings());
      return kRunFailed;
    case RunOutcome::Abandoned:
      console.err << kCommandName
                  << ": interrupted: the run was abandoned, the previous plugin was left as it "
                     "was and the work files were deleted.\n";
      return kRunFailed;  // replaced by the signal's status below
  }
  return kRunFailed;
}

}  // namespace

int RunCommandLine(const CliOptions& options, const Console& console) {
  if (options.inspect)
    return RunInspect(options, console);
  if (options.exportHeightmap)
    return RunExport(options, console);
  WindowModel window;
  ProgressReporter reporter(window);
  RunState state;
  state.workingDirectory = options.directory;
  RunContext run{window, reporter, state};
  TerminalProgress progress(console.out, console.progressStyle, console.width);
  RunnerFrontEnd frontEnd(window, progress);
  window.setFrontEnd(&frontEnd);

  int status = kSuccess;
  bool finished = false;
  try {
    if (options.load)
      LoadInto(window, state, console);
    ApplySettingChanges(window, options.changes);
    if (options.save) {
      SaveParameters(window, state.resolve(kParameterFileName));
      console.out << "Saved the settings to " << Shown(state, kParameterFileName) << ".\n";
    }
    if (options.list)
      PrintSettings(console.out, window);
  } catch (const RunError& error) {
    console.err << kCommandName << ": " << error.what() << "\n";
    status = kRunFailed;
  }
  if (status == kSuccess && options.runs()) {
    try {
      if (ReceivedSignal() == 0)
        status = Run(run, progress, options, console, finished);
      else
        console.err << kCommandName << ": interrupted before the run started.\n";
    } catch (const RunError& error) {  // the folder is in use
      console.err << kCommandName << ": " << error.what() << "\n";
      status = kRunFailed;
    }
  }
  console.out << std::flush;
  window.setFrontEnd(nullptr);
  if (finished || ReceivedSignal() == 0)
    return status;
  return InterruptedExitStatus(ReceivedSignal());
}

}  // namespace brackwyn::cli
