// The picture of a read plugin's land, drawn as the run's preview draws its
// land, over the bounding box of the cells whose LAND record has heights.
#pragma once

#include "plugin/plugin_reader.hpp"
#include "preview/land_view.hpp"
#include "preview/rgb_image.hpp"

namespace brackwyn {

// Neither side of a picture may exceed this many pixels (the whole world at
// full resolution is 3328): foreign plugins can place cells anywhere, and a
// corrupt one anywhere at all.
inline constexpr long long kMaxPictureSide = 4096;

// Throws RunError when no cell has heights or when the picture would be
// larger than kMaxPictureSide at `scale`, suggesting a scale that fits.
LandView PluginLandView(const PluginContents& plugin, int scale);

RgbImage DrawPluginPicture(const PluginContents& plugin, int scale);

}  // namespace brackwyn
