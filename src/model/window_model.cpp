#include "model/window_model.hpp"

#include <stdexcept>

#include "core/units.hpp"
#include "model/control_names.hpp"

namespace brackwyn {

WindowModel::WindowModel() {
  resetToDefaults();
}

void WindowModel::resetToDefaults() {
  auto controls = ControlTable();
  texts_.assign(controls.size(), std::string());
  states_.assign(controls.size(), 0);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    texts_[i] = std::string(controls[i].defaultText);
    states_[i] = controls[i].defaultState;
  }
  caption_ = idleCaption();
  beginEnabled_ = true;
  closeRequested_ = false;
}

std::size_t WindowModel::indexOf(std::string_view name, ControlKind expected) const {
  auto controls = ControlTable();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].name != name)
      continue;
    bool textLike =
        controls[i].kind == ControlKind::TextBox || controls[i].kind == ControlKind::OutputArea;
    bool matches = expected == ControlKind::TextBox ? textLike : controls[i].kind == expected;
    if (matches)
      return i;
    break;
  }
  throw std::invalid_argument("no " +
                              std::string(expected == ControlKind::CheckBox ? "check" : "text") +
                              " box named " + std::string(name));
}

const std::string& WindowModel::text(std::string_view name) const {
  return texts_[indexOf(name, ControlKind::TextBox)];
}

void WindowModel::setText(std::string_view name, std::string text) {
  texts_[indexOf(name, ControlKind::TextBox)] = std::move(text);
  notify(name);
}

void WindowModel::appendText(std::string_view name, std::string_view more) {
  texts_[indexOf(name, ControlKind::TextBox)].append(more);
  notify(name);
}

int WindowModel::state(std::string_view name) const {
  return states_[indexOf(name, ControlKind::CheckBox)];
}

void WindowModel::setState(std::string_view name, int state) {
  if (state < 0 || state > 2) {
    throw std::invalid_argument("check box state must be 0, 1 or 2, not " + std::to_string(state));
  }
  states_[indexOf(name, ControlKind::CheckBox)] = state;
  notify(name);
}

void WindowModel::setCaption(std::string caption) {
  caption_ = std::move(caption);
  notify("frmMain");
}

std::string WindowModel::idleCaption() const {
  return std::string(kProgramName) + " " + kVersionText;
}

void WindowModel::setBeginEnabled(bool enabled) {
  beginEnabled_ = enabled;
  notify("cmdBegin");
  notify(control::cmdOpenFolder);
}

void WindowModel::setFrontEnd(FrontEnd* frontEnd) {
  frontEnd_ = frontEnd != nullptr ? frontEnd : &headless_;
}

}  // namespace brackwyn
