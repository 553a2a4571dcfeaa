#include "gui/main_window.hpp"

#include <system_error>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "core/run_error.hpp"
#include "core/units.hpp"
#include "gui/folder_memory.hpp"
#include "model/control_names.hpp"
#include "model/parameter_file.hpp"
#include "pipeline/work_files.hpp"

namespace brackwyn::gui {
namespace {

constexpr std::string_view kCaptionName = "frmMain";
constexpr char kStatusLineName[] = "lblWorkingFolder";

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FolderText(const std::filesystem::path& path) {
  return QString::fromStdU16String(path.u16string());
}

std::optional<std::filesystem::path> AskForFolder(QWidget* parent,
                                                  const std::filesystem::path& current) {
  QString chosen = QFileDialog::getExistingDirectory(parent, "Open Folder", FolderText(current));
  if (chosen.isEmpty())
    return std::nullopt;
  return std::filesystem::path(chosen.toStdU16String());
}

// The bottom row under the buttons, across the whole window.
QLabel* AddStatusLine(QWidget& window) {
  auto* root = qobject_cast<QGridLayout*>(window.layout());
  auto* line = new QLabel;
  line->setObjectName(kStatusLineName);
  line->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long folder name must not widen the window.
  line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  root->addWidget(line, root->rowCount(), 0, 1, root->columnCount());
  return line;
}

bool AnyWorkFileIn(const std::filesystem::path& folder) {
  std::error_code error;
  for (std::string_view name : kWorkFileNames) {
    if (std::filesystem::exists(folder / name, error) || error)
      return true;  // one that cannot be looked at may be there
  }
  return false;
}

std::string KeptSettingsMessage(const ParameterLoadReport& report) {
  std::string message = std::string(kParameterFileName) +
                        " was loaded, but these settings kept their current values:\n";
  for (const std::string& kept : report.keptSettings)
    message += "\n" + kept;
  return message;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path workingDirectory, MessagePresenter* presenter)
    : presenter_(presenter != nullptr ? presenter : &messageBoxes_) {
  setObjectName(ToQString(kCaptionName));
  folderDialog_ = AskForFolder;
  widgets_ = BuildControls(*this);
  previewPane_ = AddPreviewPane(*this);
  statusLine_ = AddStatusLine(*this);
  setWorkingDirectory(std::move(workingDirectory));
  bindControls();
  connectEdits();
  model_.setFrontEnd(this);
  refreshAll();
}

MainWindow::~MainWindow() {
  model_.setFrontEnd(nullptr);
}

void MainWindow::bind(std::string_view name, std::function<void()> refresh) {
  bindingIndex_.emplace(name, bindings_.size());
  bindings_.push_back({name, std::move(refresh)});
}

void MainWindow::bindControls() {
  for (auto [name, box] : widgets_.textBoxes) {
    bind(name, [this, name, box] {
      QString text = ToQString(model_.text(name));
      if (box->text() != text)
        box->setText(text);
    });
  }
  for (auto [name, box] : widgets_.checkBoxes) {
    bind(name, [this, name, box] { box->setCheckState(WidgetState(model_.state(name))); });
  }
  for (auto [name, area] : widgets_.outputAreas) {
    auto* view = areaViews_.emplace_back(std::make_unique<OutputAreaView>(area)).get();
    bind(name, [this, name, view] { view->show(model_.text(name)); });
  }
  QPushButton* begin = widgets_.buttons.at("cmdBegin");
  bind("cmdBegin", [this, begin] { begin->setEnabled(model_.beginEnabled()); });
  QPushButton* openFolder = widgets_.buttons.at(control::cmdOpenFolder);
  bind(control::cmdOpenFolder,
       [this, openFolder] { openFolder->setEnabled(model_.openFolderEnabled()); });
  bind(kCaptionName, [this] { setWindowTitle(ToQString(model_.caption())); });
  pending_.assign(bindings_.size(), false);
}

void MainWindow::connectEdits() {
  // Only edits by the user are copied into the model (textEdited and clicked
  // are not emitted when the model sets a widget), so nothing echoes back.
  for (auto [name, box] : widgets_.textBoxes) {
    connect(box, &QLineEdit::textEdited, this, [this, name](const QString& text) {
      editingFromWidget_ = true;
      model_.setText(name, text.toStdString());
      editingFromWidget_ = false;
    });
  }
  for (auto [name, box] : widgets_.checkBoxes) {
    connect(box, &QCheckBox::clicked, this, [this, name, box] {
      editingFromWidget_ = true;
      model_.setState(name, ModelState(box->checkState()));
      editingFromWidget_ = false;
    });
  }
  connect(widgets_.buttons.at(control::cmdOpenFolder), &QPushButton::clicked, this,
          [this] { openFolder(); });
  connect(widgets_.buttons.at("cmdLoadParameters"), &QPushButton::clicked, this,
          [this] { loadParameters(); });
  connect(widgets_.buttons.at("cmdSaveParameters"), &QPushButton::clicked, this,
          [this] { saveParameters(); });
  connect(widgets_.buttons.at("cmdBegin"), &QPushButton::clicked, this, [this] { startRun(); });
}

void MainWindow::refresh(std::size_t binding) {
  pending_[binding] = false;
  bindings_[binding].refresh();
}

void MainWindow::refreshAll() {
  for (std::size_t i = 0; i < bindings_.size(); ++i)
    refresh(i);
  pendingList_.clear();
}

void MainWindow::flushPending() {
  for (std::size_t binding : pendingList_) {
    if (pending_[binding])
      refresh(binding);
  }
  pendingList_.clear();
}

void MainWindow::modelChanged(std::string_view name) {
  if (editingFromWidget_)
    return;
  auto found = bindingIndex_.find(name);
  if (found == bindingIndex_.end())
    return;
  std::size_t binding = found->second;
  // A stage at work may change the caption or an output area once per row:
  // remember it and redraw when the window next handles its events.
  if (running_ && !handlingEvents_) {
    if (!pending_[binding]) {
      pending_[binding] = true;
      pendingList_.push_back(binding);
    }
    return;
  }
  refresh(binding);
}

bool MainWindow::processEvents() {
  if (!pacer_.due() || handlingEvents_)
    return false;
  flushPending();
  handlingEvents_ = true;
  QCoreApplication::processEvents();
  handlingEvents_ = false;
  pacer_.restart();
  return true;
}

void MainWindow::present(MessageKind kind, std::string_view title, std::string_view text) {
  flushPending();  // the box should sit in front of the window as the run left it
  presenter_->present(this, kind, ToQString(title), ToQString(text));
}

void MainWindow::showMessage(std::string_view title, std::string_view text) {
  if (model_.closeRequested())
    return;  // the user has closed the window already
  present(MessageKind::Information, title, text);
}

void MainWindow::showError(std::string_view title, std::string_view text) {
  if (model_.closeRequested())
    return;
  present(MessageKind::Error, title, text);
}

void MainWindow::setWorkingDirectory(std::filesystem::path folder) {
  state_->workingDirectory = std::move(folder);
  statusLine_->setText("Working folder: " + FolderText(AbsoluteFolder(workingDirectory())));
  if (folderMemory_ != nullptr)
    RememberFolder(*folderMemory_, workingDirectory());
}

void MainWindow::rememberFoldersIn(QSettings& settings) {
  folderMemory_ = &settings;
  RememberFolder(settings, workingDirectory());
}

// Only before the run: the run's lock, work files and preview belong to the
// folder it ran in.
void MainWindow::openFolder() {
  if (running_ || !model_.openFolderEnabled())
    return;
  std::optional<std::filesystem::path> chosen = folderDialog_(this, workingDirectory());
  if (chosen && model_.openFolderEnabled())
    setWorkingDirectory(std::move(*chosen));
}

void MainWindow::startRun() {
  if (running_ || !model_.beginEnabled())
    return;
  try {
    if (!folderLock_)
      folderLock_.emplace(workingDirectory());
  } catch (const RunError& error) {  // another run uses the folder: try again later
    present(MessageKind::Error, kProgramName, error.what());
    return;
  }
  DeleteWorkFilesOnForcedStop(workingDirectory(), model_.text(control::txtESP));
  running_ = true;
  RunContext run{model_, progress_, *state_};
  RunResult result = runner_(run);
  running_ = false;
  // After the clipping reports, where the modder looks once the run is over.
  for (const std::string& warning : state_->objectPalette.warnings)
    model_.appendText(control::txtLog, "Object index, " + warning + "\r\n");
  flushPending();
  lastOutcome_ = result.outcome;
  if (result.outcome == RunOutcome::Finished && !model_.closeRequested())
    showPreview();
  if (model_.closeRequested())
    close();  // the user closed the window during the run
}

void MainWindow::showPreview() {
  try {
    previewPane_->showRun(*state_, model_);
  } catch (const std::logic_error&) {
    // A stand-in runner made no land: there is nothing to draw.
  } catch (const std::exception& error) {
    present(
        MessageKind::Error, kProgramName,
        std::string("The plugin is written, but its preview could not be drawn: ") + error.what());
  }
}

std::filesystem::path MainWindow::parameterFile() const {
  return workingDirectory() / kParameterFileName;
}

void MainWindow::loadParameters() {
  try {
    ParameterLoadReport report = LoadParameters(model_, parameterFile());
    if (!report.keptSettings.empty())
      present(MessageKind::Warning, kProgramName, KeptSettingsMessage(report));
  } catch (const std::exception& error) {
    present(MessageKind::Error, kProgramName, error.what());
  }
}

void MainWindow::saveParameters() {
  try {
    SaveParameters(model_, parameterFile());
  } catch (const std::exception& error) {
    present(MessageKind::Error, kProgramName, error.what());
  }
}

// Work files of a run that another program is making in this folder are not
// this window's to delete. A window that did not run, in a folder without
// work files (such as the home folder it opened on), leaves no lock file there.
void MainWindow::deleteOwnWorkFiles() {
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

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run gives up at its next yield, removing its partial plugin on the
    // way out; startRun() then closes the window for good.
    model_.requestClose();
    hide();
    event->ignore();
    return;
  }
  deleteOwnWorkFiles();
  event->accept();
  QCoreApplication::quit();
}

}  // namespace brackwyn::gui
