#include "win32/main_window.hpp"

#include <algorithm>
#include <stdexcept>

#include <commctrl.h>

#include "model/control_names.hpp"
#include "model/control_table.hpp"
#include "pipeline/working_folder.hpp"
#include "win32/folder_dialog.hpp"
#include "win32/folder_memory.hpp"
#include "win32/wide_text.hpp"

namespace brackwyn::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"BrackwynMainWindow";
constexpr std::string_view kCaptionName = "frmMain";
constexpr int kFirstControlId = 1000;  // above IDOK and IDCANCEL, which dialog keys send
constexpr int kStartButtonPoints = 12;
constexpr int kToolTipWidth = 300;  // dialog units: long tips wrap
constexpr int kIconResource = 1;

HINSTANCE Instance() {
  return ::GetModuleHandleW(nullptr);
}

// A function that older Windows lacks, looked up when first asked for.
template <typename Function>
Function User32Function(const char* name) {
  FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

int DpiOf(HWND window) {
  using GetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpi = User32Function<GetDpiForWindow>("GetDpiForWindow");
  if (getDpi != nullptr) {
    if (UINT dpi = getDpi(window); dpi != 0)
      return static_cast<int>(dpi);
  }
  WindowDc dc(window);
  return ::GetDeviceCaps(dc.get(), LOGPIXELSY);
}

// The font of message boxes, at `dpi`.
LOGFONTW MessageFont(int dpi) {
  using ParametersForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = User32Function<ParametersForDpi>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (forDpi != nullptr &&
      forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi))) {
    return metrics.lfMessageFont;
  }
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  WindowDc screen(nullptr);
  int systemDpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi);
  return metrics.lfMessageFont;
}

TEXTMETRICW Measure(HWND window, HFONT font) {
  WindowDc dc(window);
  HGDIOBJ previous = ::SelectObject(dc.get(), font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.get(), &metrics);
  ::SelectObject(dc.get(), previous);
  return metrics;
}

WPARAM CheckState(int modelState) {
  if (modelState == 1)
    return BST_CHECKED;
  return modelState == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path workingDirectory, MessagePresenter* presenter)
    : presenter_(presenter != nullptr ? presenter : &messageBoxes_),
      session_(std::move(workingDirectory), *this),
      folderDialog_(AskForFolder) {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&classes);

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = Instance();
  windowClass.hIcon = ::LoadIconW(Instance(), MAKEINTRESOURCEW(kIconResource));
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExW(&windowClass);  // fails harmlessly when an earlier window made it

  ::CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, Instance(),
                    this);
  if (window_ == nullptr)
    throw std::runtime_error("Windows refused to create the main window");
  makeFonts();
  createControls();

  auto controls = ControlTable();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    ControlKind kind = controls[i].kind;
    if (kind == ControlKind::TextBox || kind == ControlKind::CheckBox ||
        kind == ControlKind::OutputArea)
      bindingIndex_.emplace(controls[i].name, i);
  }
  captionBinding_ = controls.size();
  beginBinding_ = controls.size() + 1;
  openFolderBinding_ = controls.size() + 2;
  bindingIndex_.emplace(kCaptionName, captionBinding_);
  bindingIndex_.emplace(control::cmdBegin, beginBinding_);
  bindingIndex_.emplace(control::cmdOpenFolder, openFolderBinding_);
  pending_.assign(controls.size() + 3, false);
  model().setFrontEnd(this);
  refreshAll();

  // A first size that shows everything, with room for the preview, within
  // the screen's work area.
  layOut();
  RECT frame{0, 0, minimumClient_.cx * 3 / 2, minimumClient_.cy};
  ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = std::min<LONG>(frame.right - frame.left, work.right - work.left);
  int height = std::min<LONG>(frame.bottom - frame.top, work.bottom - work.top);
  ::SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

MainWindow::~MainWindow() {
  model().setFrontEnd(nullptr);
  if (window_ != nullptr)
    ::DestroyWindow(window_);
}

void MainWindow::show(int how) {
  ::ShowWindow(window_, how);
  ::UpdateWindow(window_);
}

HWND MainWindow::control(std::string_view name) const {
  auto controls = ControlTable();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].name == name)
      return controls_[i];
  }
  return nullptr;
}

void MainWindow::createControls() {
  // Made in table order, which is the Tab order: down the frame, then the
  // buttons, then the preview pane.
  toolTips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, window_,
                                nullptr, Instance(), nullptr);
  ::SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, units_.across(kToolTipWidth));
  auto controls = ControlTable();
  controls_.assign(controls.size(), nullptr);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& row = controls[i];
    const wchar_t* windowClass = L"STATIC";
    std::wstring text = WideFromUtf8(row.caption);
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    switch (row.kind) {
      case ControlKind::Frame:
        windowClass = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
      case ControlKind::Heading:
      case ControlKind::RowCaption:
        style |= SS_NOPREFIX | SS_NOTIFY;  // SS_NOTIFY: the pointer reaches it, for its tool-tip
        break;
      case ControlKind::Separator:
        style |= SS_ETCHEDHORZ;
        break;
      case ControlKind::TextBox:
        windowClass = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::CheckBox:
        // Three states so that a grayed state loaded from the parameter file
        // shows as such; a click still only checks or clears it (onCommand).
        windowClass = L"BUTTON";
        style |= WS_TABSTOP | BS_3STATE;
        break;
      case ControlKind::OutputArea:
        windowClass = L"EDIT";
        style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Button:
        windowClass = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        text = WideFromUtf8(MnemonicCaption(row));  // "&Load Parameters": Alt+L
        break;
    }
    HWND control = ::CreateWindowExW(
        extended, windowClass, text.c_str(), style, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), Instance(), nullptr);
    controls_[i] = control;
    controlIndex_.emplace(control, i);
    ::SendMessageW(control, WM_SETFONT,
                   reinterpret_cast<WPARAM>(row.largeFont ? largeFont_.get() : font_.get()), FALSE);
    if (row.kind == ControlKind::TextBox) {
      ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // any text, as the Qt window takes
      ::EnableWindow(control, row.editable);
    }
    if (row.kind == ControlKind::OutputArea)
      areaViews_.emplace(i, OutputAreaView(control));
    if (!row.toolTip.empty())
      addToolTip(control, row.toolTip);
  }
  previewPane_ = std::make_unique<PreviewPane>(window_);
  previewPane_->setFont(font_.get());
  statusLine_ = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                  window_, nullptr, Instance(), nullptr);
  ::SendMessageW(statusLine_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  showWorkingFolder();
}

void MainWindow::showWorkingFolder() {
  std::wstring where = L"Working folder: " + AbsoluteFolder(workingDirectory()).wstring();
  ::SendMessageW(statusLine_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(where.c_str()));
  if (rememberFolders_)
    RememberFolder(workingDirectory());
}

void MainWindow::rememberFolders() {
  rememberFolders_ = true;
  RememberFolder(workingDirectory());
}

void MainWindow::addToolTip(HWND control, std::string_view text) {
  std::wstring wide = WideFromUtf8(text);  // the tool-tip control keeps a copy
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::makeFonts() {
  dpi_ = DpiOf(window_);
  LOGFONTW font = MessageFont(dpi_);
  font_ = Font(::CreateFontIndirectW(&font));
  font.lfHeight = -::MulDiv(kStartButtonPoints, dpi_, 72);
  largeFont_ = Font(::CreateFontIndirectW(&font));
  TEXTMETRICW metrics = Measure(window_, font_.get());
  units_ = {static_cast<int>(metrics.tmAveCharWidth), static_cast<int>(metrics.tmHeight)};
  largeLineHeight_ = static_cast<int>(Measure(window_, largeFont_.get()).tmHeight);
}

void MainWindow::layOut() {
  if (window_ == nullptr || statusLine_ == nullptr)
    return;
  ::SendMessageW(statusLine_, WM_SIZE, 0, 0);  // the status line sizes itself
  RECT status{}, client{};
  ::GetWindowRect(statusLine_, &status);
  ::GetClientRect(window_, &client);

  WindowDc dc(window_);
  HGDIOBJ previous = ::SelectObject(dc.get(), font_.get());
  LayoutInput input{units_, largeLineHeight_, static_cast<int>(status.bottom - status.top),
                    SIZE{client.right, client.bottom}, [&](std::string_view text) {
                      std::wstring wide = WideFromUtf8(text);
                      SIZE size{};
                      ::GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()),
                                              &size);
                      return static_cast<int>(size.cx);
                    }};
  Layout layout = LayOutWindow(input);
  ::SelectObject(dc.get(), previous);

  minimumClient_ = layout.minimumClient;
  HDWP moves = ::BeginDeferWindowPos(static_cast<int>(controls_.size()));
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const RECT& place = layout.controls[i];
    if (controls_[i] != nullptr && moves != nullptr) {
      moves = ::DeferWindowPos(moves, controls_[i], nullptr, place.left, place.top,
                               place.right - place.left, place.bottom - place.top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (moves != nullptr)
    ::EndDeferWindowPos(moves);
  previewPane_->layOut(layout.preview, units_);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::onCommand(HWND control, int notification) {
  if (notification == BN_CLICKED && previewPane_->handleClick(control))
    return;
  auto found = controlIndex_.find(control);
  if (found == controlIndex_.end())
    return;
  const ControlSpec& row = ControlTable()[found->second];
  if (row.kind == ControlKind::TextBox && notification == EN_CHANGE && !settingFromModel_) {
    model().setText(row.name, Utf8FromWide(WindowText(control)));
  } else if (row.kind == ControlKind::CheckBox && notification == BN_CLICKED) {
    bool checked = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    model().setState(row.name, checked ? 0 : 1);
  } else if (row.kind == ControlKind::Button && notification == BN_CLICKED) {
    if (row.name == control::cmdOpenFolder)
      openFolder();
    else if (row.name == control::cmdLoadParameters)
      loadParameters();
    else if (row.name == control::cmdSaveParameters)
      saveParameters();
    else if (row.name == control::cmdBegin)
      startRun();
  }
}

void MainWindow::refresh(std::size_t binding) {
  pending_[binding] = false;
  if (binding == captionBinding_) {
    SetWindowUtf8(window_, model().caption());
    return;
  }
  if (binding == beginBinding_) {
    ::EnableWindow(control(control::cmdBegin), model().beginEnabled());
    return;
  }
  if (binding == openFolderBinding_) {
    ::EnableWindow(control(control::cmdOpenFolder), model().openFolderEnabled());
    return;
  }
  const ControlSpec& row = ControlTable()[binding];
  HWND control = controls_[binding];
  switch (row.kind) {
    case ControlKind::TextBox: {
      const std::string& text = model().text(row.name);
      if (Utf8FromWide(WindowText(control)) != text) {
        settingFromModel_ = true;
        SetWindowUtf8(control, text);
        settingFromModel_ = false;
      }
      break;
    }
    case ControlKind::CheckBox:
      ::SendMessageW(control, BM_SETCHECK, CheckState(model().state(row.name)), 0);
      break;
    case ControlKind::OutputArea:
      areaViews_.at(binding).show(model().text(row.name));
      break;
    default:
      break;
  }
}

void MainWindow::refreshAll() {
  for (std::size_t i = 0; i < pending_.size(); ++i) {
    if (i >= ControlTable().size() || bindingIndex_.count(ControlTable()[i].name))
      refresh(i);
  }
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
  auto found = bindingIndex_.find(name);
  if (found == bindingIndex_.end() || window_ == nullptr)
    return;
  std::size_t binding = found->second;
  // A stage at work may change the caption or an output area once per row:
  // remember it and redraw when the window next handles its messages.
  if (session_.running() && !handlingEvents_) {
    if (!pending_[binding]) {
      pending_[binding] = true;
      pendingList_.push_back(binding);
    }
    return;
  }
  refresh(binding);
}

bool MainWindow::handleDialogKeys(MSG& message) {
  return window_ != nullptr && ::IsDialogMessageW(window_, &message);
}

bool MainWindow::processEvents() {
  if (!pacer_.due() || handlingEvents_)
    return false;
  flushPending();
  handlingEvents_ = true;
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside the run
      break;
    }
    if (!handleDialogKeys(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  handlingEvents_ = false;
  pacer_.restart();
  return true;
}

void MainWindow::present(MessageKind kind, std::string_view title, std::string_view text) {
  flushPending();  // the box should sit in front of the window as the run left it
  presenter_->present(window_, kind, title, text);
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

void MainWindow::openFolder() {
  if (!session_.openFolderEnabled())
    return;
  std::optional<std::filesystem::path> chosen = folderDialog_(window_, workingDirectory());
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

void MainWindow::close() {
  if (window_ != nullptr)
    ::SendMessageW(window_, WM_CLOSE, 0, 0);
}

void MainWindow::onClose() {
  if (!session_.close()) {
    ::ShowWindow(window_, SW_HIDE);  // the run ends first, then startRun() closes the window
    return;
  }
  ::DestroyWindow(window_);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr)
    return ::DefWindowProcW(window, message, wParam, lParam);
  return self->handleMessage(message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0)
        onCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_SIZE:
      layOut();
      return 0;
    case WM_GETMINMAXINFO: {
      RECT frame{0, 0, minimumClient_.cx, minimumClient_.cy};
      ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_DPICHANGED: {
      // Untested under Wine, which never moves a window between scales.
      makeFonts();
      for (std::size_t i = 0; i < controls_.size(); ++i) {
        HFONT font = ControlTable()[i].largeFont ? largeFont_.get() : font_.get();
        ::SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      }
      previewPane_->setFont(font_.get());
      ::SendMessageW(statusLine_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
      ::SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, units_.across(kToolTipWidth));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      layOut();
      return 0;
    }
    case WM_CLOSE:
      onClose();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam)
        session_.endSession();
      return 0;
    case WM_DESTROY:
      if (quitWhenClosed_)
        ::PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return ::DefWindowProcW(window, message, wParam, lParam);
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

int RunMessageLoop(MainWindow& window) {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!window.handleDialogKeys(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

}  // namespace brackwyn::win32
