// Where every control of the window goes, computed from the control table
// and the font alone, so that the window is neither cut off nor tiny at any
// scaling: every length is in dialog units (a quarter of the font's average
// character width across, an eighth of its height down). The window calls it
// on creation, on every resize and when it moves to a monitor of another
// scale.
//
// The settings frames stack on the left in the grid their rows and columns
// give; the output frames sit to their right (the first two side by side,
// the others below them, sharing the height); the preview pane takes the
// right; the buttons share the bottom row, above the status line.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include <windows.h>

namespace brackwyn::win32 {

struct DialogUnits {
  int averageCharWidth = 7;
  int lineHeight = 16;

  int across(int units) const { return ::MulDiv(units, averageCharWidth, 4); }
  int down(int units) const { return ::MulDiv(units, lineHeight, 8); }
};

struct LayoutInput {
  DialogUnits units;
  int largeLineHeight;  // the start button's font
  int statusLineHeight;
  SIZE client;
  // Width in pixels of a text in the window's font.
  std::function<int(std::string_view)> textWidth;
};

struct Layout {
  std::vector<RECT> controls;  // parallel to ControlTable(); empty for controls not placed
  RECT preview;
  RECT statusLine;
  SIZE minimumClient;  // below it, controls would overlap
};

Layout LayOutWindow(const LayoutInput& input);

}  // namespace brackwyn::win32
