#include "textures/square_terrain.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace brackwyn {
namespace {

constexpr int kSide = kVerticesPerCellSide;
constexpr int kQuads = kQuadsPerCellSide;
constexpr int kSquareQuads = kQuadsPerTextureSquareSide;

// The squared height change from each vertex to its east neighbour (row by
// row, 64 a row) and to its north neighbour (65 a row). In 32 bits: an east
// change is one step (at most 128), a north change at most 64 * 255 + 128, so
// the sum of one of each stays below 2^31.
struct SquaredChanges {
  std::array<std::int32_t, kSide * kQuads> east;
  std::array<std::int32_t, kQuads * kSide> north;
};

void SquareChanges(const DecodedCellHeights& h, SquaredChanges& changes) {
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kQuads; ++i) {
      std::int32_t d = h[j * kSide + i + 1] - h[j * kSide + i];
      changes.east[j * kQuads + i] = d * d;
    }
  }
  for (int j = 0; j < kQuads; ++j) {
    for (int i = 0; i < kSide; ++i) {
      std::int32_t d = h[(j + 1) * kSide + i] - h[j * kSide + i];
      changes.north[j * kSide + i] = d * d;
    }
  }
}

// The steeper triangle of every quad. A triangle's gradient is one east and
// one north change: where i + j is even the diagonal runs from the quad's
// south-west corner to its north-east one, and the triangles take the south
// edge with the east edge and the north edge with the west edge; where it is
// odd, the south edge with the west edge and the north edge with the east.
void SteepestOfQuads(const SquaredChanges& c, std::array<std::int32_t, kQuads * kQuads>& steepest) {
  for (int j = 0; j < kQuads; ++j) {
    const std::int32_t* south = &c.east[j * kQuads];
    const std::int32_t* northEdge = &c.east[(j + 1) * kQuads];
    const std::int32_t* west = &c.north[j * kSide];
    const std::int32_t* east = west + 1;
    std::int32_t* out = &steepest[j * kQuads];
    const int evenFrom = j % 2;  // the first i with i + j even
    for (int i = evenFrom; i < kQuads; i += 2)
      out[i] = std::max(south[i] + east[i], northEdge[i] + west[i]);
    for (int i = 1 - evenFrom; i < kQuads; i += 2)
      out[i] = std::max(south[i] + west[i], northEdge[i] + east[i]);
  }
}

}  // namespace

void MeasureSquares(const DecodedCellHeights& decoded, CellSquareTerrain& squares) {
  constexpr int kSquares = kTextureSquaresPerCellSide;
  SquaredChanges changes;
  SquareChanges(decoded, changes);
  std::array<std::int32_t, kQuads * kQuads> quadSteepest;
  SteepestOfQuads(changes, quadSteepest);
  // Per vertex row, the sum of each square's five vertices in it; per quad
  // row, the steepest of each square's four quads in it. Sums of 25 heights
  // of at most 2^17 fit in 32 bits.
  std::array<std::int32_t, kSide * kSquares> rowSums;
  std::array<std::int32_t, kQuads * kSquares> rowSteepest;
  for (int j = 0; j < kSide; ++j) {
    for (int u = 0; u < kSquares; ++u) {
      const std::int32_t* h = &decoded[j * kSide + u * kSquareQuads];
      rowSums[j * kSquares + u] = h[0] + h[1] + h[2] + h[3] + h[4];
    }
  }
  for (int j = 0; j < kQuads; ++j) {
    for (int u = 0; u < kSquares; ++u) {
      const std::int32_t* q = &quadSteepest[j * kQuads + u * kSquareQuads];
      rowSteepest[j * kSquares + u] = std::max(std::max(q[0], q[1]), std::max(q[2], q[3]));
    }
  }
  constexpr int kVertices = (kSquareQuads + 1) * (kSquareQuads + 1);
  for (int v = 0; v < kSquares; ++v) {
    for (int u = 0; u < kSquares; ++u) {
      std::int32_t sum = 0;
      std::int32_t steepest = 0;
      for (int j = v * kSquareQuads; j <= (v + 1) * kSquareQuads; ++j)
        sum += rowSums[j * kSquares + u];
      for (int j = v * kSquareQuads; j < (v + 1) * kSquareQuads; ++j)
        steepest = std::max(steepest, rowSteepest[j * kSquares + u]);
      squares[v * kSquares + u] = {static_cast<double>(sum * kUnitsPerHeightStep) / kVertices,
                                   steepest};
    }
  }
}

double SlopeDegrees(std::int64_t gradient) {
  constexpr double kPixelPerStep = static_cast<double>(kUnitsPerPixel) / kUnitsPerHeightStep;
  return std::atan(std::sqrt(static_cast<double>(gradient)) / kPixelPerStep) * 180 /
         std::numbers::pi;
}

std::int64_t GradientLimit(double degrees) {
  if (degrees >= 90)
    return std::numeric_limits<std::int64_t>::max();
  if (degrees < 0)
    return -1;
  double tangent =
      std::tan(degrees * std::numbers::pi / 180) * kUnitsPerPixel / kUnitsPerHeightStep;
  if (tangent * tangent >= 1e18)  // steeper than any land the format can hold
    return std::numeric_limits<std::int64_t>::max();
  auto limit = static_cast<std::int64_t>(tangent * tangent);
  // A slope a rounding error above the limit is at the limit: 45 degrees
  // must pass a 45-degree rule although atan(1) * 180 / pi may not give 45.
  const double atMost = degrees + 1e-9;
  while (SlopeDegrees(limit + 1) <= atMost)
    ++limit;
  while (limit >= 0 && SlopeDegrees(limit) > atMost)
    --limit;
  return limit;
}

}  // namespace brackwyn
