// A picture of a window as the screen shows it, for --screenshot.
#pragma once

#include "preview/rgb_image.hpp"

#include <windows.h>

namespace brackwyn::win32 {

// The client area, child controls included. Throws std::runtime_error when
// Windows cannot copy it.
RgbImage CaptureClientArea(HWND window);

}  // namespace brackwyn::win32
