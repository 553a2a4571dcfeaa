// The slope of the terrain at a vertex, from the heights of its neighbours:
// the one computation behind hill shading and vertex normals.
#pragma once

#include <algorithm>
#include <cstddef>

#include "core/units.hpp"

namespace brackwyn {

// Rise over run in world units, towards +x (east) and +y (north).
struct Slope {
  float east;
  float north;
};

// A row-major grid of heights in height steps, row 0 at the bottom, whose
// neighbouring samples lie `spacing` world units apart.
template <typename Height>
struct HeightSamples {
  const Height* heights;
  int width;
  int height;
  int spacing = kUnitsPerPixel;

  Height at(int x, int y) const { return heights[static_cast<std::size_t>(y) * width + x]; }
};

// Central differences inside the grid, one-sided on its edges.
template <typename Height>
Slope SlopeAt(const HeightSamples<Height>& grid, int x, int y) {
  const int left = std::max(x - 1, 0), right = std::min(x + 1, grid.width - 1);
  const int below = std::max(y - 1, 0), above = std::min(y + 1, grid.height - 1);
  const float perStep = static_cast<float>(kUnitsPerHeightStep) / static_cast<float>(grid.spacing);
  const float east = static_cast<float>(grid.at(right, y) - grid.at(left, y)) * perStep;
  const float north = static_cast<float>(grid.at(x, above) - grid.at(x, below)) * perStep;
  return {right > left ? east / static_cast<float>(right - left) : 0.0f,
          above > below ? north / static_cast<float>(above - below) : 0.0f};
}

}  // namespace brackwyn
