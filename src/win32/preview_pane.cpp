#include "win32/preview_pane.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include <windowsx.h>

#include "preview/run_preview.hpp"
#include "win32/wide_text.hpp"

namespace brackwyn::win32 {
namespace {

constexpr double kMinZoom = 0.125;
constexpr double kMaxZoom = 8.0;
constexpr wchar_t kCanvasClass[] = L"BrackwynPreviewCanvas";

HWND Child(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style) {
  return ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void RegisterCanvasClass(WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.lpszClassName = kCanvasClass;
  ::RegisterClassExW(&windowClass);  // fails harmlessly when a window made it already
}

}  // namespace

PreviewPane::PreviewPane(HWND parent) {
  RegisterCanvasClass(CanvasProc);
  frame_ = Child(parent, L"BUTTON", L"Preview", BS_GROUPBOX);
  zoomOut_ = Child(parent, L"BUTTON", L"-", WS_TABSTOP | BS_PUSHBUTTON);
  zoomIn_ = Child(parent, L"BUTTON", L"+", WS_TABSTOP | BS_PUSHBUTTON);
  canvas_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, kCanvasClass, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, 0, 0, 0,
                              0, parent, nullptr, ::GetModuleHandleW(nullptr), this);
  status_ = Child(parent, L"STATIC", L"The preview appears after a run.", SS_NOPREFIX);
}

void PreviewPane::setFont(HFONT font) {
  for (HWND control : {frame_, zoomOut_, zoomIn_, status_})
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void PreviewPane::layOut(RECT area, const DialogUnits& u) {
  int inset = u.across(7);
  int left = area.left + inset, right = area.right - inset;
  int top = area.top + u.down(11);
  int button = u.down(14);
  ::MoveWindow(frame_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  ::MoveWindow(zoomOut_, left, top, button, button, TRUE);
  ::MoveWindow(zoomIn_, left + button + u.across(4), top, button, button, TRUE);
  int statusHeight = u.down(8);
  int statusTop = area.bottom - u.down(7) - statusHeight;
  int canvasTop = top + button + u.down(4);
  ::MoveWindow(canvas_, left, canvasTop, std::max(0, right - left),
               std::max(0, statusTop - u.down(4) - canvasTop), TRUE);
  ::MoveWindow(status_, left, statusTop, std::max(0, right - left), statusHeight, TRUE);
}

bool PreviewPane::handleClick(HWND control) {
  if (control == zoomOut_)
    setZoom(zoom_ / 2);
  else if (control == zoomIn_)
    setZoom(zoom_ * 2);
  else
    return false;
  return true;
}

void PreviewPane::showRun(const RunState& state, const WindowModel& window) {
  RgbImage picture = DrawRunPreview(state, window, {kDefaultPreviewScale, true});
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first, as the picture has it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap.get() == nullptr)
    throw std::runtime_error("not enough memory for the preview picture");
  auto* out = static_cast<std::uint8_t*>(bits);
  const std::uint8_t* in = picture.pixels.data();
  for (std::size_t i = 0, count = std::size_t{1} * picture.width * picture.height; i < count;
       ++i, in += 3, out += 4) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    out[3] = 0;
  }
  bitmap_ = std::move(bitmap);
  width_ = picture.width;
  height_ = picture.height;
  scale_ = kDefaultPreviewScale;
  state_ = &state;
  SetWindowUtf8(status_, "Point at the picture to see the cell and height.");
  setZoom(zoom_);
}

void PreviewPane::setZoom(double zoom) {
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  updateScrollBars();
  ::InvalidateRect(canvas_, nullptr, TRUE);
}

std::string PreviewPane::describePixel(int x, int y) const {
  return state_ == nullptr ? std::string()
                           : DescribePreviewPixel(*state_, scale_, width_, height_, x, y);
}

POINT PreviewPane::scrollPosition() const {
  return {::GetScrollPos(canvas_, SB_HORZ), ::GetScrollPos(canvas_, SB_VERT)};
}

void PreviewPane::updateScrollBars() {
  RECT client{};
  ::GetClientRect(canvas_, &client);
  const int sizes[2] = {static_cast<int>(std::ceil(width_ * zoom_)),
                        static_cast<int>(std::ceil(height_ * zoom_))};
  const int pages[2] = {client.right, client.bottom};
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO info{sizeof(info),
                    SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL,
                    0,
                    std::max(0, sizes[bar] - 1),
                    static_cast<UINT>(std::max(0, pages[bar])),
                    0,
                    0};
    ::SetScrollInfo(canvas_, bar, &info, TRUE);
  }
}

void PreviewPane::scroll(int bar, int request) {
  SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
  ::GetScrollInfo(canvas_, bar, &info);
  int line = 32, position = info.nPos;
  switch (request) {
    case SB_LINEUP:
      position -= line;
      break;
    case SB_LINEDOWN:
      position += line;
      break;
    case SB_PAGEUP:
      position -= static_cast<int>(info.nPage);
      break;
    case SB_PAGEDOWN:
      position += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      position = info.nTrackPos;
      break;
    default:
      return;
  }
  ::SetScrollPos(canvas_, bar, position, TRUE);  // clamps to the range
  ::InvalidateRect(canvas_, nullptr, TRUE);
}

void PreviewPane::paint() {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(canvas_, &paint);
  if (bitmap_.get() != nullptr) {
    MemoryDc source(dc);
    HGDIOBJ previous = ::SelectObject(source.get(), bitmap_.get());
    POINT at = scrollPosition();
    RECT client{};
    ::GetClientRect(canvas_, &client);
    // Only the visible part is scaled: from the scroll position to the edge.
    int sourceX = static_cast<int>(at.x / zoom_), sourceY = static_cast<int>(at.y / zoom_);
    int sourceWidth = std::min(width_ - sourceX, static_cast<int>(client.right / zoom_) + 2);
    int sourceHeight = std::min(height_ - sourceY, static_cast<int>(client.bottom / zoom_) + 2);
    ::SetStretchBltMode(dc, zoom_ < 1 ? HALFTONE : COLORONCOLOR);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, static_cast<int>(sourceX * zoom_) - at.x,
                 static_cast<int>(sourceY * zoom_) - at.y,
                 static_cast<int>(std::ceil(sourceWidth * zoom_)),
                 static_cast<int>(std::ceil(sourceHeight * zoom_)), source.get(), sourceX, sourceY,
                 sourceWidth, sourceHeight, SRCCOPY);
    ::SelectObject(source.get(), previous);
  }
  ::EndPaint(canvas_, &paint);
}

LRESULT CALLBACK PreviewPane::CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* pane = reinterpret_cast<PreviewPane*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (pane == nullptr || pane->canvas_ != window)
    return ::DefWindowProcW(window, message, wParam, lParam);
  return pane->canvasMessage(message, wParam, lParam);
}

LRESULT PreviewPane::canvasMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_SIZE:
      updateScrollBars();
      return 0;
    case WM_HSCROLL:
      scroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      scroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL)
        setZoom(zoom_ * (delta > 0 ? 2.0 : 0.5));
      else
        scroll(SB_VERT, delta > 0 ? SB_LINEUP : SB_LINEDOWN);
      return 0;
    }
    case WM_LBUTTONDOWN:
      ::SetFocus(canvas_);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS;  // + and - zoom while the picture has the focus
    case WM_CHAR:
      if (wParam == L'+' || wParam == L'=')
        setZoom(zoom_ * 2);
      else if (wParam == L'-')
        setZoom(zoom_ / 2);
      return 0;
    case WM_MOUSEMOVE: {
      POINT at = scrollPosition();
      int x = static_cast<int>((GET_X_LPARAM(lParam) + at.x) / zoom_);
      int y = static_cast<int>((GET_Y_LPARAM(lParam) + at.y) / zoom_);
      std::string text = describePixel(x, y);
      if (!text.empty())
        SetWindowUtf8(status_, text);
      return 0;
    }
    default:
      return ::DefWindowProcW(canvas_, message, wParam, lParam);
  }
}

}  // namespace brackwyn::win32
