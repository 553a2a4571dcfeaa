// The desktop window: draws the window model, keeps widgets and model equal
// in both directions, and drives the run on its own thread. It is the model's
// front end, so the run's YieldToUI lands in processEvents() here.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QWidget>

class QLabel;
class QSettings;

#include "core/event_pacer.hpp"
#include "gui/control_widgets.hpp"
#include "gui/message_presenter.hpp"
#include "gui/output_area_view.hpp"
#include "gui/preview_pane.hpp"
#include "model/front_end.hpp"
#include "model/window_model.hpp"
#include "pipeline/window_session.hpp"

namespace brackwyn::gui {

class MainWindow : public QWidget, public FrontEnd, public WindowSession::View {
 public:
  using Runner = WindowSession::Runner;
  // Asks the user for a folder, starting at `current`; nothing when cancelled.
  using FolderDialog = std::function<std::optional<std::filesystem::path>(
      QWidget* parent, const std::filesystem::path& current)>;

  // `presenter` null: real message boxes. The window works in
  // `workingDirectory`: file names, "Parameters.ini" and the work files.
  explicit MainWindow(std::filesystem::path workingDirectory,
                      MessagePresenter* presenter = nullptr);
  ~MainWindow() override;

  WindowModel& model() { return session_.model(); }
  const std::filesystem::path& workingDirectory() const { return session_.workingDirectory(); }

  // A file this program writes after the run (the --screenshot picture): the
  // run refuses to start when one of its own files has that name.
  void addOutputAfterRun(std::string role, const std::filesystem::path& path) {
    session_.addOutputAfterRun(std::move(role), path);
  }
  // Checks those files against the last run's before they are written:
  // throws RunError as the run did when it refused to start.
  void checkOutputsAfterRun() const { session_.checkOutputsAfterRun(); }

  // What the start button runs; tests put in stand-ins for the pipeline.
  void setRunner(Runner runner) { session_.setRunner(std::move(runner)); }
  // The system's folder dialog unless replaced; tests put in stand-ins.
  void setFolderDialog(FolderDialog dialog) { folderDialog_ = std::move(dialog); }
  // From now on every working folder is remembered in `settings` (which must
  // outlive the window), the current one at once.
  void rememberFoldersIn(QSettings& settings);

  bool running() const { return session_.running(); }
  PreviewPane& previewPane() { return *previewPane_; }
  std::optional<RunOutcome> lastOutcome() const { return session_.lastOutcome(); }

  // The buttons' actions.
  void openFolder();
  void startRun();
  void loadParameters();
  void saveParameters();

  // FrontEnd
  bool processEvents() override;
  void showMessage(std::string_view title, std::string_view text) override;
  void showError(std::string_view title, std::string_view text) override;
  void modelChanged(std::string_view name) override;

  // WindowSession::View
  void present(MessageKind kind, std::string_view title, std::string_view text) override;
  void showPreview(const RunState& state, const WindowModel& window) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Everything a model change may have to redraw: each control by name, plus
  // the caption.
  struct Binding {
    std::string_view name;
    std::function<void()> refresh;
  };

  void bindControls();
  void bind(std::string_view name, std::function<void()> refresh);
  void connectEdits();
  void refresh(std::size_t binding);
  void refreshAll();
  void flushPending();
  void showWorkingFolder();

  FolderDialog folderDialog_;
  QSettings* folderMemory_ = nullptr;

  MessageBoxPresenter messageBoxes_;
  MessagePresenter* presenter_;
  WindowSession session_;

  ControlWidgets widgets_;
  PreviewPane* previewPane_ = nullptr;  // owned by the window
  QLabel* statusLine_ = nullptr;        // the working folder
  std::vector<std::unique_ptr<OutputAreaView>> areaViews_;
  std::vector<Binding> bindings_;
  std::unordered_map<std::string_view, std::size_t> bindingIndex_;
  // Changes a stage made since the window last handled events; redrawn in
  // one go on the next event pass rather than once per row.
  std::vector<bool> pending_;
  std::vector<std::size_t> pendingList_;

  EventPacer pacer_;
  bool handlingEvents_ = false;  // inside processEvents(): user handlers may run
  bool editingFromWidget_ = false;
};

}  // namespace brackwyn::gui
