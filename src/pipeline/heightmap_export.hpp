// Export: the land of plugins, as the game loads them, turned back into a
// heightmap that a run can take again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "model/height_grid.hpp"
#include "plugin/plugin_reader.hpp"

namespace brackwyn {

struct CellCoordinates {
  int x = 0;
  int y = 0;
};

// A 52 x 52-cell region's heights as 16-bit samples, and what a run needs
// to rebuild them exactly.
struct HeightmapExport {
  CellCoordinates origin;  // bottom-left cell
  std::int64_t low = 0;    // world units of sample 0 and of 65535
  std::int64_t high = 0;
  int cellsOutside = 0;          // cells with land that the region leaves out
  long long roundedHeights = 0;  // heights that were not a multiple of 8 units
  HeightmapLayer samples;
};

// `plugins` in load order: a later plugin's LAND replaces an earlier one's
// for the same cell, and a LAND without heights counts as no land. Cells
// without land take -2048 units. Without `origin` the region starts at the
// bottom-left corner of the cells with land. Throws RunError when no plugin
// has land.
HeightmapExport ExportHeightmap(std::span<const PluginContents> plugins,
                                std::optional<CellCoordinates> origin);

}  // namespace brackwyn
