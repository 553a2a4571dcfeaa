// The pane beside the output areas that shows the preview picture of the
// last finished run: zoomable (the buttons, or Ctrl and the mouse wheel),
// scrollable, with the cell, vertex and height under the pointer in a
// status line.
#pragma once

#include <QGroupBox>
#include <QImage>

#include "model/run_state.hpp"
#include "preview/rgb_image.hpp"

class QLabel;
class QScrollArea;
class QToolButton;

namespace brackwyn::gui {

class PreviewCanvas;

class PreviewPane : public QGroupBox {
 public:
  PreviewPane();

  // Draws the preview of a finished run; `state` must outlive the pane.
  void showRun(const RunState& state, const WindowModel& window);

  const QImage& image() const { return image_; }
  double zoom() const { return zoom_; }
  void setZoom(double zoom);
  QLabel* status() const { return status_; }
  QWidget* canvas() const;

  // The status text for picture pixel (x, y), top-left first.
  QString describePixel(int x, int y) const;

 private:
  QImage image_;
  double zoom_ = 0.25;
  const RunState* state_ = nullptr;
  int scale_ = 2;
  QScrollArea* scroll_;
  PreviewCanvas* canvas_;
  QLabel* status_;
};

// Puts a pane to the right of the output areas of a window laid out by
// BuildControls, leaving every control where it was.
PreviewPane* AddPreviewPane(QWidget& window);

}  // namespace brackwyn::gui
