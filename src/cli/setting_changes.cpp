#include "cli/setting_changes.hpp"

#include <vector>

#include "cli/nearest_name.hpp"
#include "cli/usage_error.hpp"
#include "model/control_table.hpp"

namespace brackwyn::cli {
namespace {

const ControlSpec* FindSetting(std::string_view name) {
  const ControlSpec* control = FindControl(name);
  return control != nullptr && IsSetting(*control) ? control : nullptr;
}

std::vector<std::string_view> SettingNames() {
  std::vector<std::string_view> names;
  for (const ControlSpec& control : ControlTable()) {
    if (IsSetting(control))
      names.push_back(control.name);
  }
  return names;
}

}  // namespace

std::string SuggestSetting(std::string_view name) {
  std::vector<std::string_view> names = SettingNames();
  std::string_view nearest = FindNearestName(name, names).name;
  std::string suggestion = "did you mean \"" + std::string(nearest) + "\"?";
  if (!FindSetting(nearest)->editable)
    suggestion += " (it is a fixed box and cannot be changed)";
  return suggestion;
}

SettingChange ParseSettingChange(std::string_view assignment) {
  std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    throw UsageError("--set needs NAME=VALUE, for example --set txtESP=MyIsland.esp, not \"" +
                     std::string(assignment) + "\".");
  }
  SettingChange change{std::string(assignment.substr(0, equals)),
                       std::string(assignment.substr(equals + 1))};
  const ControlSpec* control = FindSetting(change.name);
  if (control == nullptr) {
    throw UsageError("unknown setting \"" + change.name + "\" in --set " + std::string(assignment) +
                     "; " + SuggestSetting(change.name) + " --list shows every setting.");
  }
  if (!control->editable) {
    throw UsageError("setting " + DescribeSetting(change.name) +
                     " is a fixed box and cannot be changed.");
  }
  if (control->kind == ControlKind::CheckBox && change.value != "0" && change.value != "1" &&
      change.value != "2") {
    throw UsageError("check box " + DescribeSetting(change.name) +
                     " takes 0 (unchecked), 1 (checked) or 2 (grayed), not \"" + change.value +
                     "\".");
  }
  return change;
}

void ApplySettingChanges(WindowModel& window, std::span<const SettingChange> changes) {
  for (const SettingChange& change : changes) {
    if (FindControl(change.name)->kind == ControlKind::CheckBox)
      window.setState(change.name, change.value[0] - '0');
    else
      window.setText(change.name, change.value);
  }
}

}  // namespace brackwyn::cli
