// A setting's text read as a number, for the stages.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/window_model.hpp"

namespace brackwyn {

// The setting's text as a number; a RunError naming the setting otherwise.
double SettingNumber(const WindowModel& window, std::string_view name);

// The setting's text as a whole number from `low` to `high`; a RunError
// naming the setting and the range otherwise.
std::int64_t SettingWholeNumber(const WindowModel& window, std::string_view name, std::int64_t low,
                                std::int64_t high);

}  // namespace brackwyn
