// The --set NAME=VALUE changes: checked against the control table when the
// command line is read, applied to the window after --load.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/window_model.hpp"

namespace brackwyn::cli {

struct SettingChange {
  std::string name;
  std::string value;
};

// Throws UsageError for a name that is no setting (suggesting the nearest),
// for a fixed box, and for a check-box value other than 0, 1 or 2. Text
// values are taken as they are: a stage names them if they are wrong.
SettingChange ParseSettingChange(std::string_view assignment);

void ApplySettingChanges(WindowModel& window, std::span<const SettingChange> changes);

// "txtESP" for "txtEsp": the setting nearest to a mistyped name, with a note
// when it is a fixed box.
std::string SuggestSetting(std::string_view name);

}  // namespace brackwyn::cli
