// Per-cell land data handed from the land stages to the plugin writer, and the
// vertex-colour table. Cells are stored in cell index order (row * 52 +
// column, rows from the bottom); vertices of a cell in the order dy * 65 + dx.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/large_array_allocator.hpp"
#include "core/units.hpp"

namespace brackwyn {

inline constexpr int kPaletteRows = 267;      // heights 10 down to -256
inline constexpr int kPaletteTopHeight = 10;  // band 1's fixed height
inline constexpr std::size_t kCellColorBytes = std::size_t{kVerticesPerCell} * 3;  // 12675

struct CellHeights {
  std::vector<float> baseHeight;         // one per cell
  LargeArray<std::uint8_t> heightSteps;  // kVerticesPerCell per cell, two's complement bytes

  const std::uint8_t* steps(int cell) const {
    return heightSteps.data() + std::size_t{kVerticesPerCell} * cell;
  }
};

// Row i is the colour of height 10 - i, components red, green, blue.
using VertexColorPalette = std::array<std::array<float, 3>, kPaletteRows>;

struct CellColors {
  LargeArray<std::uint8_t> bytes;  // kCellColorBytes per cell: red, green, blue per vertex

  const std::uint8_t* cell(int cell) const { return bytes.data() + kCellColorBytes * cell; }
};

}  // namespace brackwyn
