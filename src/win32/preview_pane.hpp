// The pane beside the output areas that shows the preview picture of the
// last finished run: zoomable (the - and + buttons, the - and + keys, or Ctrl
// and the mouse wheel), scrollable, with the cell, vertex and height under
// the pointer in a status line.
#pragma once

#include <string>
#include <vector>

#include "model/run_state.hpp"
#include "win32/gdi_handles.hpp"
#include "win32/window_layout.hpp"

namespace brackwyn::win32 {

class PreviewPane {
 public:
  // Makes the pane's controls as children of `parent`, after every control
  // made so far in the Tab order.
  explicit PreviewPane(HWND parent);
  PreviewPane(const PreviewPane&) = delete;
  PreviewPane& operator=(const PreviewPane&) = delete;

  // Draws the preview of a finished run; `state` must outlive the pane.
  void showRun(const RunState& state, const WindowModel& window);

  double zoom() const { return zoom_; }
  void setZoom(double zoom);
  int imageWidth() const { return width_; }
  int imageHeight() const { return height_; }

  // The status text for picture pixel (x, y), top-left first.
  std::string describePixel(int x, int y) const;

  void layOut(RECT area, const DialogUnits& units);
  void setFont(HFONT font);
  // A click on one of the pane's buttons; false when `control` is not one.
  bool handleClick(HWND control);

  HWND canvas() const { return canvas_; }
  HWND status() const { return status_; }

 private:
  static LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT canvasMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void paint();
  void scroll(int bar, int request);
  void updateScrollBars();
  POINT scrollPosition() const;

  HWND frame_ = nullptr, zoomOut_ = nullptr, zoomIn_ = nullptr, canvas_ = nullptr,
       status_ = nullptr;
  Bitmap bitmap_;  // the picture as a DIB section, 32 bits a pixel
  int width_ = 0, height_ = 0;
  double zoom_ = 0.25;
  const RunState* state_ = nullptr;
  int scale_ = 2;
};

}  // namespace brackwyn::win32
