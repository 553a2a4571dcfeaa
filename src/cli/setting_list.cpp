#include "cli/setting_list.hpp"

#include <array>
#include <string>

#include "model/control_table.hpp"

namespace brackwyn::cli {
namespace {

std::string StateText(int state) {
  constexpr std::array<const char*, 3> kNames = {"unchecked", "checked", "grayed"};
  return std::to_string(state) + " (" + kNames[static_cast<std::size_t>(state)] + ")";
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted.append(text).append("\"");
  return quoted;
}

// The colour height boxes have no tool-tip of their own; their row caption's
// tells what the row is for.
std::string_view ToolTipOf(const ControlSpec& setting) {
  if (!setting.toolTip.empty())
    return setting.toolTip;
  for (const ControlSpec& control : ControlTable()) {
    if (control.kind == ControlKind::RowCaption && control.frame == setting.frame &&
        control.row == setting.row) {
      return control.toolTip;
    }
  }
  return {};
}

}  // namespace

void PrintSettings(std::ostream& out, const WindowModel& window) {
  out << "Settings: control name - label; value and default; tool-tip.\n";
  for (const ControlSpec& control : ControlTable()) {
    if (!IsSetting(control))
      continue;
    bool isCheckBox = control.kind == ControlKind::CheckBox;
    std::string value =
        isCheckBox ? StateText(window.state(control.name)) : Quoted(window.text(control.name));
    std::string fallback =
        isCheckBox ? StateText(control.defaultState) : Quoted(control.defaultText);
    out << "\n" << control.name << " - " << control.label;
    if (!control.editable)
      out << " (fixed)";
    out << "\n  value " << value << ", default " << fallback << "\n";
    if (std::string_view tip = ToolTipOf(control); !tip.empty())
      out << "  " << tip << "\n";
  }
}

}  // namespace brackwyn::cli
