// A setting's text read as a number, for the stages.
#pragma once

#include <string_view>

#include "model/window_model.hpp"

namespace brackwyn {

// The setting's text as a number; a RunError naming the setting otherwise.
double SettingNumber(const WindowModel& window, std::string_view name);

}  // namespace brackwyn
