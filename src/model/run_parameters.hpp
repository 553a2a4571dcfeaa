// The settings copied out of the window at the start of a run. Everything else
// a stage needs is a live setting, read from the window when it is used.
#pragma once

#include <cstdint>
#include <string>

#include "core/units.hpp"

namespace brackwyn {

struct RunParameters {
  float interiorScale = 0;  // window text / 8: the grid counts in steps of 8 world units
  float mountainScale = 0;
  std::string coastBitmapName;
  std::string interiorBitmapName;
  std::string mountainBitmapName;
  std::string objectIndexName;
  std::string masterFileName;
  std::string pluginFileName;
  std::int32_t objectSeed = 0;
  // With useHeightmap the heights come from one heightmap file, its black
  // and white at heightmapLow and heightmapHigh world units.
  bool useHeightmap = false;
  std::string heightmapName;
  std::int64_t heightmapLow = -2048;
  std::int64_t heightmapHigh = 14336;
  // Grid coordinates of the bottom-left cell.
  int worldX = -kCellGridOrigin;
  int worldY = -kCellGridOrigin;
};

}  // namespace brackwyn
