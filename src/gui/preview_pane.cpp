#include "gui/preview_pane.hpp"

#include <algorithm>
#include <cmath>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "preview/run_preview.hpp"

namespace brackwyn::gui {

constexpr double kMinZoom = 0.125;
constexpr double kMaxZoom = 8.0;
constexpr int kPaneWidth = 440;  // a quarter of the picture, with the scroll bar

// Paints the picture at the pane's zoom; only the exposed part is scaled.
class PreviewCanvas : public QWidget {
 public:
  explicit PreviewCanvas(PreviewPane& pane) : pane_(pane) { setMouseTracking(true); }

  void updateSize() {
    const QImage& image = pane_.image();
    resize(static_cast<int>(std::ceil(image.width() * pane_.zoom())),
           static_cast<int>(std::ceil(image.height() * pane_.zoom())));
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.scale(pane_.zoom(), pane_.zoom());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, pane_.zoom() < 1);
    painter.drawImage(0, 0, pane_.image());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const QPointF at = event->position() / pane_.zoom();
    pane_.status()->setText(
        pane_.describePixel(static_cast<int>(at.x()), static_cast<int>(at.y())));
  }
  void wheelEvent(QWheelEvent* event) override {
    if ((event->modifiers() & Qt::ControlModifier) == 0) {
      event->ignore();  // plain wheel scrolls
      return;
    }
    pane_.setZoom(pane_.zoom() * (event->angleDelta().y() > 0 ? 2.0 : 0.5));
    event->accept();
  }

 private:
  PreviewPane& pane_;
};

namespace {

QToolButton* ZoomButton(const char* name, const char* text, const char* tip) {
  auto* button = new QToolButton;
  button->setObjectName(name);
  button->setText(text);
  button->setToolTip(tip);
  return button;
}

}  // namespace

PreviewPane::PreviewPane() : QGroupBox(QStringLiteral("Preview")) {
  setObjectName(QStringLiteral("fraPreview"));
  auto* layout = new QVBoxLayout(this);
  auto* zoomRow = new QHBoxLayout;
  QToolButton* out = ZoomButton("cmdPreviewZoomOut", "-", "Zoom out (Ctrl + mouse wheel)");
  QToolButton* in = ZoomButton("cmdPreviewZoomIn", "+", "Zoom in (Ctrl + mouse wheel)");
  zoomRow->addWidget(out);
  zoomRow->addWidget(in);
  zoomRow->addStretch();
  layout->addLayout(zoomRow);
  scroll_ = new QScrollArea;
  scroll_->setObjectName(QStringLiteral("scrPreview"));
  canvas_ = new PreviewCanvas(*this);
  scroll_->setWidget(canvas_);
  scroll_->setMinimumWidth(kPaneWidth);
  layout->addWidget(scroll_, 1);
  status_ = new QLabel(QStringLiteral("The preview appears after a run."));
  status_->setObjectName(QStringLiteral("lblPreviewStatus"));
  layout->addWidget(status_);
  connect(out, &QToolButton::clicked, this, [this] { setZoom(zoom_ / 2); });
  connect(in, &QToolButton::clicked, this, [this] { setZoom(zoom_ * 2); });
}

void PreviewPane::setZoom(double zoom) {
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  canvas_->updateSize();
}

void PreviewPane::showRun(const RunState& state, const WindowModel& window) {
  RgbImage picture = DrawRunPreview(state, window, {kDefaultPreviewScale, true});
  scale_ = kDefaultPreviewScale;
  // Deep copy: the QImage must not point into the vector that goes away.
  image_ = QImage(picture.pixels.data(), picture.width, picture.height, picture.width * 3,
                  QImage::Format_RGB888)
               .copy();
  state_ = &state;
  canvas_->updateSize();
  status_->setText(QStringLiteral("Point at the picture to see the cell and height."));
}

QWidget* PreviewPane::canvas() const {
  return canvas_;
}

PreviewPane* AddPreviewPane(QWidget& window) {
  auto* root = qobject_cast<QGridLayout*>(window.layout());
  auto* pane = new PreviewPane;
  root->addWidget(pane, 0, 2);
  root->setColumnStretch(2, 1);
  return pane;
}

QString PreviewPane::describePixel(int x, int y) const {
  if (state_ == nullptr)
    return {};
  return QString::fromStdString(
      DescribePreviewPixel(*state_, scale_, image_.width(), image_.height(), x, y));
}

}  // namespace brackwyn::gui
