// The terrain of a cell's texture squares as the game sees it: heights decoded
// from the cell's VHGT steps, so a clipped step moves the land here exactly as
// it does in the game.
//
// Square (u, v) covers vertices 4u..4u+4 by 4v..4v+4 of its cell: 5 x 5
// vertices, 4 x 4 quads, each quad split into two triangles along the
// diagonal the objects' heights use too (from its bottom-left to its top-right
// corner where x + y is even, the other diagonal where it is odd).
#pragma once

#include <array>
#include <cstdint>

#include "model/decoded_heights.hpp"
#include "model/land_data.hpp"
#include "model/land_textures.hpp"

namespace brackwyn {

// Heights in steps of 8 game units, vertex order (dy * 65 + dx), as
// DecodeCellHeights writes them.
using DecodedCellHeights = std::array<std::int32_t, kVerticesPerCell>;

struct SquareTerrain {
  double meanHeight = 0;  // game units: the mean of the square's 25 vertices
  // Of the square's 32 triangles, the largest dx * dx + dy * dy, with dx and
  // dy the height change in steps from one vertex to the next along x and y.
  std::int64_t steepestGradient = 0;
};
using CellSquareTerrain = std::array<SquareTerrain, kTextureSquaresPerCell>;

// Squares in the order v * 16 + u.
void MeasureSquares(const DecodedCellHeights& decoded, CellSquareTerrain& squares);

// The slope of a triangle with that gradient, in degrees: vertices are 128
// units apart and a step is 8, so tan(slope) = sqrt(gradient) / 16.
double SlopeDegrees(std::int64_t gradient);

// The largest gradient whose slope is at most `degrees` (0..90), found with
// SlopeDegrees itself; a slope within a billionth of a degree of the limit
// counts as at it.
std::int64_t GradientLimit(double degrees);

}  // namespace brackwyn
