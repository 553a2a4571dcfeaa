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

std::int64_t Gradient(std::int64_t dx, std::int64_t dy) {
  return dx * dx + dy * dy;
}

// The steeper of the quad's two triangles.
std::int64_t SteepestOfQuad(const std::int32_t* corner, bool evenQuad) {
  std::int64_t h00 = corner[0], h10 = corner[1], h01 = corner[kSide], h11 = corner[kSide + 1];
  if (evenQuad)  // diagonal from (0, 0) to (1, 1)
    return std::max(Gradient(h10 - h00, h11 - h10), Gradient(h11 - h01, h01 - h00));
  // diagonal from (1, 0) to (0, 1)
  return std::max(Gradient(h10 - h00, h01 - h00), Gradient(h11 - h01, h11 - h10));
}

}  // namespace

void DecodeCellHeights(const CellHeights& heights, int cell, DecodedCellHeights& decoded) {
  const std::uint8_t* steps = heights.steps(cell);
  auto rowStart = static_cast<std::int32_t>(heights.baseHeight[static_cast<std::size_t>(cell)]);
  for (int dy = 0; dy < kSide; ++dy) {
    std::int32_t* row = decoded.data() + dy * kSide;
    const std::uint8_t* rowSteps = steps + dy * kSide;
    rowStart += static_cast<std::int8_t>(rowSteps[0]);
    std::int32_t height = rowStart;
    row[0] = height;
    for (int dx = 1; dx < kSide; ++dx) {
      height += static_cast<std::int8_t>(rowSteps[dx]);
      row[dx] = height;
    }
  }
}

void MeasureSquares(const DecodedCellHeights& decoded, CellSquareTerrain& squares) {
  std::array<std::int64_t, kQuads * kQuads> quadSteepest;
  for (int j = 0; j < kQuads; ++j) {
    for (int i = 0; i < kQuads; ++i)
      quadSteepest[j * kQuads + i] = SteepestOfQuad(&decoded[j * kSide + i], (i + j) % 2 == 0);
  }
  for (int v = 0; v < kTextureSquaresPerCellSide; ++v) {
    for (int u = 0; u < kTextureSquaresPerCellSide; ++u) {
      std::int64_t sum = 0;
      std::int64_t steepest = 0;
      for (int j = 0; j <= kSquareQuads; ++j) {
        const std::int32_t* row = &decoded[(v * kSquareQuads + j) * kSide + u * kSquareQuads];
        for (int i = 0; i <= kSquareQuads; ++i)
          sum += row[i];
        if (j == kSquareQuads)
          continue;
        const std::int64_t* quads =
            &quadSteepest[(v * kSquareQuads + j) * kQuads + u * kSquareQuads];
        for (int i = 0; i < kSquareQuads; ++i)
          steepest = std::max(steepest, quads[i]);
      }
      constexpr int kVertices = (kSquareQuads + 1) * (kSquareQuads + 1);
      squares[v * kTextureSquaresPerCellSide + u] = {
          static_cast<double>(sum * kUnitsPerHeightStep) / kVertices, steepest};
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
