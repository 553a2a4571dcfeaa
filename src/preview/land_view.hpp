// The land of a box of cells as the game decodes it, sampled every `scale`
// vertices: what both the run's preview and a read plugin's picture are
// drawn from, so the two agree pixel for pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "core/units.hpp"
#include "land/vertex_slope.hpp"
#include "preview/rgb_image.hpp"

namespace brackwyn {

// Scales a preview accepts: they divide the 64 vertices of a cell side.
bool IsPreviewScale(int scale);

class LandView {
 public:
  // The box of cells from grid (gridX0, gridY0) at its bottom-left, `columns`
  // by `rows` cells. Throws std::invalid_argument for a scale that does not
  // divide 64.
  LandView(int gridX0, int gridY0, int columns, int rows, int scale);

  // Decodes one cell's base height and 4225 height steps (two's complement
  // bytes) and keeps its samples; `colors` is 12675 bytes of red, green,
  // blue per vertex, or null for a cell without vertex colours (white).
  // Cells share their edges: a cell put later wins the shared samples, so
  // cells are put in cell order (rows from the bottom, cells from the left).
  void putCell(int gridX, int gridY, float baseHeight, const std::uint8_t* steps,
               const std::uint8_t* colors);

  int scale() const { return scale_; }
  int gridX0() const { return gridX0_; }
  int gridY0() const { return gridY0_; }
  int columns() const { return columns_; }
  int rows() const { return rows_; }
  // Pixels of the picture: one per sample, without the last edge sample.
  int pictureWidth() const { return columns_ * kQuadsPerCellSide / scale_; }
  int pictureHeight() const { return rows_ * kQuadsPerCellSide / scale_; }
  int samplesWide() const { return pictureWidth() + 1; }
  int samplesHigh() const { return pictureHeight() + 1; }

  bool hasLand(int column, int row) const {
    return land_[std::size_t(row) * columns_ + column] != 0;
  }
  // False when every colour put so far is white: vertex colours were off.
  bool colored() const { return colored_; }

  std::int32_t height(int sx, int sy) const { return heights_[index(sx, sy)]; }
  Rgb color(int sx, int sy) const {
    const std::uint8_t* c = colors_.data() + 3 * index(sx, sy);
    return {c[0], c[1], c[2]};
  }
  HeightSamples<std::int32_t> samples() const {
    return {heights_.data(), samplesWide(), samplesHigh(), scale_ * kUnitsPerPixel};
  }

  // Where a vertex or a world position lands in the picture (row 0 at the
  // top); vertex coordinates count from the view's bottom-left vertex, as
  // HeightGrid does from the run's.
  int pixelX(int vertexX) const { return FloorDiv(vertexX, scale_); }
  int pixelY(int vertexY) const { return pictureHeight() - 1 - FloorDiv(vertexY, scale_); }

 private:
  static int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
  std::size_t index(int sx, int sy) const { return std::size_t(sy) * samplesWide() + sx; }

  int gridX0_, gridY0_, columns_, rows_, scale_;
  std::vector<std::int32_t> heights_;
  std::vector<std::uint8_t> colors_;
  std::vector<std::uint8_t> land_;  // per cell, row-major from the bottom
  bool colored_ = false;
};

}  // namespace brackwyn
