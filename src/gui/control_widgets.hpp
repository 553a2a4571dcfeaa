// The main window's widgets, built from the window model's control table
// (frames, headings, row captions, boxes, separators, output areas and
// buttons) and found again by control name.
#pragma once

#include <map>
#include <string_view>

#include <QCheckBox>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace brackwyn::gui {

// Tri-state so that a grayed state loaded from the parameter file shows as
// such; a click still only switches between checked and unchecked.
class SettingCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override;
};

int ModelState(Qt::CheckState state);
Qt::CheckState WidgetState(int modelState);

struct ControlWidgets {
  std::map<std::string_view, QGroupBox*> frames;
  std::map<std::string_view, QLineEdit*> textBoxes;
  std::map<std::string_view, SettingCheckBox*> checkBoxes;
  std::map<std::string_view, QPlainTextEdit*> outputAreas;
  std::map<std::string_view, QPushButton*> buttons;
};

// Lays every control of ControlTable() out in `window`: the settings frame on
// the left, the output frames on the right (the first two side by side, the
// others below them), the buttons along the bottom from left to right.
// Texts and states are left empty; the caller fills them from the model.
ControlWidgets BuildControls(QWidget& window);

}  // namespace brackwyn::gui
