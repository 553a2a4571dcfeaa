#include "gui/main_window.hpp"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "gui/folder_memory.hpp"
#include "model/control_names.hpp"

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

}  // namespace

MainWindow::MainWindow(std::filesystem::path workingDirectory, MessagePresenter* presenter)
    : presenter_(presenter != nullptr ? presenter : &messageBoxes_),
      session_(std::move(workingDirectory), *this) {
  setObjectName(ToQString(kCaptionName));
  folderDialog_ = AskForFolder;
  widgets_ = BuildControls(*this);
  previewPane_ = AddPreviewPane(*this);
  statusLine_ = AddStatusLine(*this);
  showWorkingFolder();
  bindControls();
  connectEdits();
  model().setFrontEnd(this);
  refreshAll();
}

MainWindow::~MainWindow() {
  model().setFrontEnd(nullptr);
}

void MainWindow::bind(std::string_view name, std::function<void()> refresh) {
  bindingIndex_.emplace(name, bindings_.size());
  bindings_.push_back({name, std::move(refresh)});
}

void MainWindow::bindControls() {
  for (auto [name, box] : widgets_.textBoxes) {
    bind(name, [this, name, box] {
      QString text = ToQString(model().text(name));
      if (box->text() != text)
        box->setText(text);
    });
  }
  for (auto [name, box] : widgets_.checkBoxes) {
    bind(name, [this, name, box] { box->setCheckState(WidgetState(model().state(name))); });
  }
  for (auto [name, area] : widgets_.outputAreas) {
    auto* view = areaViews_.emplace_back(std::make_unique<OutputAreaView>(area)).get();
    bind(name, [this, name, view] { view->show(model().text(name)); });
  }
  QPushButton* begin = widgets_.buttons.at("cmdBegin");
  bind("cmdBegin", [this, begin] { begin->setEnabled(model().beginEnabled()); });
  QPushButton* openFolder = widgets_.buttons.at(control::cmdOpenFolder);
  bind(control::cmdOpenFolder,
       [this, openFolder] { openFolder->setEnabled(model().openFolderEnabled()); });
  bind(kCaptionName, [this] { setWindowTitle(ToQString(model().caption())); });
  pending_.assign(bindings_.size(), false);
}

void MainWindow::connectEdits() {
  // Only edits by the user are copied into the model (textEdited and clicked
  // are not emitted when the model sets a widget), so nothing echoes back.
  for (auto [name, box] : widgets_.textBoxes) {
    connect(box, &QLineEdit::textEdited, this, [this, name](const QString& text) {
      editingFromWidget_ = true;
      model().setText(name, text.toStdString());
      editingFromWidget_ = false;
    });
  }
  for (auto [name, box] : widgets_.checkBoxes) {
    connect(box, &QCheckBox::clicked, this, [this, name, box] {
      editingFromWidget_ = true;
      model().setState(name, ModelState(box->checkState()));
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
  if (session_.running() && !handlingEvents_) {
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
  if (model().closeRequested())
    return;  // the user has closed the window already
  present(MessageKind::Information, title, text);
}

void MainWindow::showError(std::string_view title, std::string_view text) {
  if (model().closeRequested())
    return;
  present(MessageKind::Error, title, text);
}

void MainWindow::showWorkingFolder() {
  statusLine_->setText("Working folder: " + FolderText(AbsoluteFolder(workingDirectory())));
  if (folderMemory_ != nullptr)
    RememberFolder(*folderMemory_, workingDirectory());
}

void MainWindow::rememberFoldersIn(QSettings& settings) {
  folderMemory_ = &settings;
  RememberFolder(settings, workingDirectory());
}

void MainWindow::openFolder() {
  if (!session_.openFolderEnabled())
    return;
  std::optional<std::filesystem::path> chosen = folderDialog_(this, workingDirectory());
  if (chosen && session_.switchFolder(std::move(*chosen)))
    showWorkingFolder();
}

void MainWindow::startRun() {
  bool closeNow = session_.startRun();
  flushPending();
  if (closeNow)
    close();  // the user closed the window during the run
}

void MainWindow::showPreview(const RunState& state, const WindowModel& window) {
  flushPending();
  previewPane_->showRun(state, window);
}

void MainWindow::loadParameters() {
  session_.loadParameters();
}

void MainWindow::saveParameters() {
  session_.saveParameters();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!session_.close()) {
    hide();  // the run ends first, then startRun() closes the window
    event->ignore();
    return;
  }
  event->accept();
  QCoreApplication::quit();
}

}  // namespace brackwyn::gui
