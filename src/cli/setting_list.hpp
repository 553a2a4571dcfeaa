// --list: every setting with its label, current value, default and tool-tip,
// in the window's display order.
#pragma once

#include <ostream>

#include "model/window_model.hpp"

namespace brackwyn::cli {

void PrintSettings(std::ostream& out, const WindowModel& window);

}  // namespace brackwyn::cli
