// Grid sizes, cell counts and world units shared by every stage.
//
// Axis convention, stated once: x is the column counted from the left edge of
// the bitmaps, y the row in file storage order, so row 0 is the bottom row of
// a normal bottom-up bitmap and (0, 0) is the bottom-left corner. Every grid
// (layers, HeightGrid, density, sub-cells, cells) uses this convention.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brackwyn {

inline constexpr int kBitmapSide = 3328;      // pixels (vertices) per bitmap row and column
inline constexpr int kHeightGridSide = 3329;  // bitmap plus the -256 border row and column
inline constexpr int kCellsPerSide = 52;
inline constexpr int kCellCount = kCellsPerSide * kCellsPerSide;  // 2704
inline constexpr int kQuadsPerCellSide = 64;
inline constexpr int kVerticesPerCellSide = 65;  // cells share their edge vertices
inline constexpr int kVerticesPerCell = kVerticesPerCellSide * kVerticesPerCellSide;  // 4225
inline constexpr int kCellGridOrigin = 26;  // cell column 0 is grid X -26
inline constexpr std::int16_t kBorderHeight = -256;
// The bottom-left cell may be placed from -1000 to 948 each way, so that the
// 52 cells end at 999 at most.
inline constexpr int kWorldCellMin = -1000;
inline constexpr int kWorldCellMax = 948;

inline constexpr int kSubCellsPerPixelSide = 8;
inline constexpr int kSubCellGridSide = kBitmapSide * kSubCellsPerPixelSide;  // 26624
inline constexpr int kSubCellsPerCellSide = 512;

// World units.
inline constexpr int kUnitsPerHeightStep = 8;
inline constexpr int kUnitsPerSubCell = 16;
inline constexpr int kUnitsPerPixel = 128;
inline constexpr int kUnitsPerCell = 8192;

inline constexpr char kVersionText[] = "1.3.1";
inline constexpr char kProgramName[] = "Brackwyn";

static_assert(kSubCellGridSide == kCellsPerSide * kSubCellsPerCellSide);
static_assert(kBitmapSide == kCellsPerSide * kQuadsPerCellSide);

}  // namespace brackwyn
