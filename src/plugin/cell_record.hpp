// The CELL record of one exterior cell, and the numbering that the CELL, LAND
// and reference records share.
#pragma once

#include <cstddef>

#include "core/units.hpp"
#include "plugin/record_writer.hpp"

namespace brackwyn {

// Cell index = row * 52 + column, rows from the bottom; grid coordinates
// count from the world's bottom-left cell (worldX, worldY), by default
// (-26, -26), which puts cell (26, 26) at the world origin.
struct CellPosition {
  int index;
  int worldX = -kCellGridOrigin;
  int worldY = -kCellGridOrigin;

  int column() const { return index % kCellsPerSide; }
  int row() const { return index / kCellsPerSide; }
  int gridX() const { return column() + worldX; }
  int gridY() const { return row() + worldY; }
};

inline constexpr std::size_t kCellNameBytes = 1;  // exterior cells have an empty name
inline constexpr std::size_t kCellDataBytes = 12;
inline constexpr std::size_t kCellRecordBytesWithoutObjects =
    kRecordHeaderBytes + (kSubRecordHeaderBytes + kCellNameBytes) +
    (kSubRecordHeaderBytes + kCellDataBytes);
static_assert(kCellRecordBytesWithoutObjects == 45);

// Opens the cell's CELL record and writes NAME and DATA. The caller may add
// the NAM0 count and references, then closes it with out.endRecord().
void StartCellRecord(RecordWriter& out, CellPosition cell);

}  // namespace brackwyn
