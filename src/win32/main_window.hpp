// The Windows window: the same controls, model and run as the Qt window,
// drawn with plain Win32 controls. It keeps controls and model equal in both
// directions and runs the pipeline inside the start button's click; the
// run's YieldToUI lands in processEvents() here, which pumps the thread's
// messages so that the window stays live.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/event_pacer.hpp"
#include "model/front_end.hpp"
#include "model/window_model.hpp"
#include "pipeline/window_session.hpp"
#include "win32/gdi_handles.hpp"
#include "win32/message_presenter.hpp"
#include "win32/output_area_view.hpp"
#include "win32/preview_pane.hpp"
#include "win32/window_layout.hpp"

namespace brackwyn::win32 {

class MainWindow : public FrontEnd, public WindowSession::View {
 public:
  using Runner = WindowSession::Runner;
  // Asks the user for a folder, starting at `current`; nothing when cancelled.
  using FolderDialog = std::function<std::optional<std::filesystem::path>(
      HWND owner, const std::filesystem::path& current)>;

  // `presenter` null: real message boxes. The window works in
  // `workingDirectory`: file names, "Parameters.ini" and the work files.
  // It is created hidden; show() shows it.
  explicit MainWindow(std::filesystem::path workingDirectory,
                      MessagePresenter* presenter = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void show(int how = SW_SHOWNORMAL);
  // Null once the window is closed.
  HWND handle() const { return window_; }
  // The control of table row `index` (frames, labels and separators
  // included), or null for rows the window does not draw.
  HWND control(std::size_t index) const { return controls_[index]; }
  HWND control(std::string_view name) const;
  HWND toolTips() const { return toolTips_; }
  HWND statusLine() const { return statusLine_; }
  PreviewPane& previewPane() { return *previewPane_; }

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
  // From now on every working folder is remembered in the registry, the
  // current one at once.
  void rememberFolders();
  // The program ends its message loop when the window goes; tests keep going.
  void quitWhenClosed() { quitWhenClosed_ = true; }

  bool running() const { return session_.running(); }
  std::optional<RunOutcome> lastOutcome() const { return session_.lastOutcome(); }

  // The buttons' actions.
  void openFolder();
  void startRun();
  void loadParameters();
  void saveParameters();
  // As the user closes it: during a run the run is abandoned first.
  void close();

  // Tab, Shift+Tab and the buttons' Alt+letter, for the message loop.
  bool handleDialogKeys(MSG& message);

  // FrontEnd
  bool processEvents() override;
  void showMessage(std::string_view title, std::string_view text) override;
  void showError(std::string_view title, std::string_view text) override;
  void modelChanged(std::string_view name) override;

  // WindowSession::View
  void present(MessageKind kind, std::string_view title, std::string_view text) override;
  void showPreview(const RunState& state, const WindowModel& window) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void createControls();
  void addToolTip(HWND control, std::string_view text);
  void makeFonts();
  void layOut();
  void onCommand(HWND control, int notification);
  void onClose();

  void refresh(std::size_t binding);
  void refreshAll();
  void flushPending();
  void showWorkingFolder();

  MessageBoxPresenter messageBoxes_;
  MessagePresenter* presenter_;
  WindowSession session_;
  FolderDialog folderDialog_;
  bool rememberFolders_ = false;

  HWND window_ = nullptr;
  std::vector<HWND> controls_;  // parallel to ControlTable()
  std::unordered_map<HWND, std::size_t> controlIndex_;
  std::unordered_map<std::size_t, OutputAreaView> areaViews_;
  std::unique_ptr<PreviewPane> previewPane_;
  HWND toolTips_ = nullptr;
  HWND statusLine_ = nullptr;
  Font font_, largeFont_;
  DialogUnits units_;
  SIZE minimumClient_{};
  int largeLineHeight_ = 0;
  int dpi_ = 96;

  // Bindings are table rows; the caption and the enabled flags of the start
  // and "Open Folder…" buttons are three more, past the end.
  std::size_t captionBinding_ = 0;
  std::size_t beginBinding_ = 0;
  std::size_t openFolderBinding_ = 0;
  std::unordered_map<std::string_view, std::size_t> bindingIndex_;
  // Changes a stage made since the window last handled events; redrawn in
  // one go on the next event pass rather than once per row.
  std::vector<bool> pending_;
  std::vector<std::size_t> pendingList_;

  EventPacer pacer_;
  bool handlingEvents_ = false;  // inside processEvents(): user handlers may run
  bool settingFromModel_ = false;
  bool quitWhenClosed_ = false;
};

// Runs the thread's message loop until the window is closed; its exit code.
int RunMessageLoop(MainWindow& window);

}  // namespace brackwyn::win32
