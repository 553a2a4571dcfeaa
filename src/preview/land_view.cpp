#include "preview/land_view.hpp"

#include <array>
#include <cstring>
#include <stdexcept>

#include "model/decoded_heights.hpp"

namespace brackwyn {

bool IsPreviewScale(int scale) {
  return scale > 0 && scale <= kQuadsPerCellSide && kQuadsPerCellSide % scale == 0;
}

LandView::LandView(int gridX0, int gridY0, int columns, int rows, int scale)
    : gridX0_(gridX0), gridY0_(gridY0), columns_(columns), rows_(rows), scale_(scale) {
  if (!IsPreviewScale(scale))
    throw std::invalid_argument("a preview scale divides 64");
  heights_.assign(std::size_t(samplesWide()) * samplesHigh(), 0);
  colors_.assign(heights_.size() * 3, 255);
  land_.assign(std::size_t(columns) * rows, 0);
}

void LandView::putCell(int gridX, int gridY, float baseHeight, const std::uint8_t* steps,
                       const std::uint8_t* colors) {
  const int column = gridX - gridX0_, row = gridY - gridY0_;
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_)
    return;
  land_[std::size_t(row) * columns_ + column] = 1;
  std::array<std::int32_t, kVerticesPerCell> heights;
  DecodeCellHeights(baseHeight, steps, heights.data());
  const int perCell = kQuadsPerCellSide / scale_;
  for (int j = 0; j <= perCell; ++j) {
    const int dy = j * scale_;
    const std::size_t at = index(column * perCell, row * perCell + j);
    for (int i = 0; i <= perCell; ++i) {
      const int v = dy * kVerticesPerCellSide + i * scale_;
      heights_[at + i] = heights[v];
      if (colors == nullptr)
        continue;
      std::memcpy(&colors_[3 * (at + i)], colors + 3 * v, 3);
      colored_ |= (colors[3 * v] & colors[3 * v + 1] & colors[3 * v + 2]) != 255;
    }
  }
  if (colors == nullptr) {
    for (int j = 0; j <= perCell; ++j)
      std::memset(&colors_[3 * index(column * perCell, row * perCell + j)], 255, 3 * (perCell + 1));
  }
}

}  // namespace brackwyn
