#include "gui/control_widgets.hpp"

#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/control_table.hpp"

namespace brackwyn::gui {
namespace {

constexpr int kStartButtonPointSize = 12;
constexpr int kSettingsColumns = 5;  // row captions, then four columns of boxes
constexpr int kBoxPadding = 16;      // a text box's frame and margins around its text

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Widget>
Widget* Named(Widget* widget, const ControlSpec& control) {
  widget->setObjectName(ToQString(control.name));
  if (!control.toolTip.empty())
    widget->setToolTip(ToQString(control.toolTip));
  return widget;
}

QLabel* MakeLabel(const ControlSpec& control) {
  auto* label = new QLabel(ToQString(control.caption));
  if (!control.toolTip.empty())
    label->setToolTip(ToQString(control.toolTip));
  return label;
}

QLineEdit* MakeTextBox(const ControlSpec& control) {
  auto* box = Named(new QLineEdit, control);
  box->setEnabled(control.editable);
  return box;
}

SettingCheckBox* MakeCheckBox(const ControlSpec& control) {
  auto* box = Named(new SettingCheckBox(ToQString(control.caption)), control);
  box->setTristate(true);
  return box;
}

QFrame* MakeSeparator() {
  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QPlainTextEdit* MakeOutputArea(const ControlSpec& control) {
  auto* area = Named(new QPlainTextEdit, control);
  area->setReadOnly(true);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  area->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  return area;
}

QPushButton* MakeButton(const ControlSpec& control) {
  // "&Load Parameters": Alt+L presses it; the text shown is the caption.
  auto* button = Named(new QPushButton(ToQString(MnemonicCaption(control))), control);
  if (control.largeFont) {
    QFont font = button->font();
    font.setPointSize(kStartButtonPointSize);
    button->setFont(font);
  }
  return button;
}

// Frames take a grid when they hold settings and a plain column when they
// hold an output area; which one is known from their first child.
class FrameLayouts {
 public:
  explicit FrameLayouts(ControlWidgets& widgets) : widgets_(widgets) {}

  QGridLayout* grid(std::string_view frame) {
    auto [at, added] = grids_.try_emplace(frame, nullptr);
    if (added) {
      at->second = new QGridLayout(widgets_.frames.at(frame));
      settingsFrames_.push_back(frame);
    }
    return at->second;
  }

  QVBoxLayout* column(std::string_view frame) {
    auto [at, added] = columns_.try_emplace(frame, nullptr);
    if (added) {
      at->second = new QVBoxLayout(widgets_.frames.at(frame));
      outputFrames_.push_back(frame);
    }
    return at->second;
  }

  const std::vector<std::string_view>& settingsFrames() const { return settingsFrames_; }
  const std::vector<std::string_view>& outputFrames() const { return outputFrames_; }

  // Box columns share the spare width and each fits a number like -3327.
  void sizeBoxColumns() {
    for (auto& [frame, grid] : grids_) {
      QFontMetrics metrics(widgets_.frames.at(frame)->font());
      int numberWidth = metrics.horizontalAdvance(QStringLiteral("-00000")) + kBoxPadding;
      for (int column = 1; column < kSettingsColumns; ++column) {
        grid->setColumnStretch(column, 1);
        grid->setColumnMinimumWidth(column, numberWidth);
      }
    }
  }

 private:
  ControlWidgets& widgets_;
  std::map<std::string_view, QGridLayout*> grids_;
  std::map<std::string_view, QVBoxLayout*> columns_;
  std::vector<std::string_view> settingsFrames_;  // in table order
  std::vector<std::string_view> outputFrames_;
};

void PlaceInGrid(QGridLayout* grid, QWidget* widget, const ControlSpec& control) {
  grid->addWidget(widget, control.row, control.column, 1, control.columnSpan);
}

void ArrangeWindow(QWidget& window, const ControlWidgets& widgets, const FrameLayouts& layouts,
                   const std::vector<QPushButton*>& buttons) {
  auto* root = new QGridLayout(&window);

  auto* settings = new QVBoxLayout;
  for (std::string_view frame : layouts.settingsFrames())
    settings->addWidget(widgets.frames.at(frame));
  settings->addStretch();
  root->addLayout(settings, 0, 0);

  auto* outputs = new QGridLayout;
  const auto& outputFrames = layouts.outputFrames();
  for (std::size_t i = 0; i < outputFrames.size(); ++i) {
    int row = i < 2 ? 0 : static_cast<int>(i) - 1;
    int column = i < 2 ? static_cast<int>(i) : 0;
    int span = i < 2 ? 1 : 2;
    outputs->addWidget(widgets.frames.at(outputFrames[i]), row, column, 1, span);
    outputs->setRowStretch(row, 1);
  }
  root->addLayout(outputs, 0, 1);
  root->setColumnStretch(1, 1);

  auto* bottom = new QHBoxLayout;
  for (QPushButton* button : buttons)
    bottom->addWidget(button, 1);
  root->addLayout(bottom, 1, 0, 1, 2);
}

}  // namespace

void SettingCheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

int ModelState(Qt::CheckState state) {
  switch (state) {
    case Qt::Unchecked:
      return 0;
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
  }
  return 0;
}

Qt::CheckState WidgetState(int modelState) {
  if (modelState == 1)
    return Qt::Checked;
  return modelState == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

ControlWidgets BuildControls(QWidget& window) {
  ControlWidgets widgets;
  FrameLayouts layouts(widgets);
  std::vector<QPushButton*> buttons;
  for (const ControlSpec& control : ControlTable()) {
    switch (control.kind) {
      case ControlKind::Frame: {
        auto* frame = Named(new QGroupBox(ToQString(control.caption)), control);
        widgets.frames.emplace(control.name, frame);
        break;
      }
      case ControlKind::Heading:
      case ControlKind::RowCaption:
        PlaceInGrid(layouts.grid(control.frame), MakeLabel(control), control);
        break;
      case ControlKind::Separator:
        PlaceInGrid(layouts.grid(control.frame), MakeSeparator(), control);
        break;
      case ControlKind::TextBox: {
        QLineEdit* box = MakeTextBox(control);
        widgets.textBoxes.emplace(control.name, box);
        PlaceInGrid(layouts.grid(control.frame), box, control);
        break;
      }
      case ControlKind::CheckBox: {
        SettingCheckBox* box = MakeCheckBox(control);
        widgets.checkBoxes.emplace(control.name, box);
        PlaceInGrid(layouts.grid(control.frame), box, control);
        break;
      }
      case ControlKind::OutputArea: {
        QPlainTextEdit* area = MakeOutputArea(control);
        widgets.outputAreas.emplace(control.name, area);
        layouts.column(control.frame)->addWidget(area);
        break;
      }
      case ControlKind::Button: {
        QPushButton* button = MakeButton(control);
        widgets.buttons.emplace(control.name, button);
        buttons.push_back(button);
        break;
      }
    }
  }
  layouts.sizeBoxColumns();
  ArrangeWindow(window, widgets, layouts, buttons);
  return widgets;
}

}  // namespace brackwyn::gui
