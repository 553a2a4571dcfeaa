// The preview picture of a finished run, drawn from the run state: the land
// as the plugin's land records will show it (decoded from the cell heights,
// in the cell colours), the vertices CreateVHGT clipped, and, when the run
// placed objects, a dot per reference in its kind's colour, a legend of the
// kinds and the confine box. Drawing it is not a stage: the front ends ask
// for it once the run has finished.
#pragma once

#include <string>
#include <vector>

#include "model/run_state.hpp"
#include "preview/land_view.hpp"
#include "preview/rgb_image.hpp"

namespace brackwyn {

inline constexpr int kDefaultPreviewScale = 2;  // 1664 x 1664 pixels
inline constexpr Rgb kClippedColor = {255, 0, 255};
inline constexpr Rgb kConfineColor = {255, 214, 0};

struct PreviewOptions {
  int scale = kDefaultPreviewScale;  // vertices a pixel: 1, 2, 4, 8, ...
  bool objects = true;               // dots, legend and confine box, when the run placed objects
};

// The whole world, cells -26..25 each way.
LandView RunLandView(const RunState& state, int scale);

// Throws std::logic_error when the run has not made its land data, and
// std::invalid_argument for a scale that does not divide 64.
RgbImage DrawRunPreview(const RunState& state, const WindowModel& window,
                        const PreviewOptions& options = {});

// What the windows' status line says about pixel (x, y) of a preview picture
// `imageHeight` pixels high drawn at `scale` (top-left first): "Cell (-3, 5)
// vertex (1480, 2000)  height 12 (96 game units)"; empty outside the picture
// or before the run has made its heights.
std::string DescribePreviewPixel(const RunState& state, int scale, int imageWidth, int imageHeight,
                                 int x, int y);

// The dot colour of object kind `kind` (1..255).
Rgb ObjectKindColor(int kind);

// Where the legend puts kind `kind`'s line: its swatch's top-left corner.
struct LegendLine {
  int kind;
  int x, y;  // swatch
  int textX, textY;
};
std::vector<LegendLine> LegendLayout(const ObjectPalette& palette, int imageWidth, int imageHeight,
                                     int scale);

}  // namespace brackwyn
