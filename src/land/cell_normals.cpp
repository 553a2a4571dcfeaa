// VNML: at vertex (i east, j north) the normal is the cross product of
// (128, 0, dx) and (0, 128, dy), where dx and dy are the decoded height
// differences, in game units, to the next vertex east and north. For i = 64
// the next vertex east is column 1 of the cell to the east, for j = 64 row 1
// of the cell to the north; without such a cell the difference is 0. The
// vector is divided by (its length / 127) and each component truncated toward
// zero to a signed byte, all in float: the normals an editor of the format
// (OpenMW-CS) writes when it edits land, so flat ground gives (0, 0, 127).
//
// WNAM: byte 9 r + c (r, c = 0..8) is the decoded height in game units of
// vertex (i = 8 c, j = 8 r), divided by 128 and rounded toward minus infinity,
// clamped to -128..127. The game's map takes it as the height in steps of 128
// units and draws sea below 0, so the coastline shows where the ground meets
// height 0.
#include "land/cell_normals.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "land/decoded_heights.hpp"

namespace brackwyn {
namespace {

constexpr int kSide = kVerticesPerCellSide;
constexpr int kLast = kSide - 1;
constexpr float kSpacing = kUnitsPerPixel;  // 128 units between vertices
constexpr float kNormalLength = 127.0f;

using CellFloats = std::array<float, kVerticesPerCell>;

// Height differences to the next vertex east (dx) and north (dy).
void Differences(const float* h, const float* east, const float* north, CellFloats& dx,
                 CellFloats& dy) {
  for (int j = 0; j < kSide; ++j) {
    const float* row = h + j * kSide;
    float* out = dx.data() + j * kSide;
    for (int i = 0; i < kLast; ++i)
      out[i] = row[i + 1] - row[i];
    out[kLast] = east != nullptr ? east[j * kSide + 1] - row[kLast] : 0.0f;
  }
  for (int v = 0; v < kLast * kSide; ++v)
    dy[v] = h[v + kSide] - h[v];
  const float* top = h + kLast * kSide;
  for (int i = 0; i < kSide; ++i)
    dy[kLast * kSide + i] = north != nullptr ? north[kSide + i] - top[i] : 0.0f;
}

// One normal component as a byte. |component| <= 127 give or take rounding,
// so the int conversion is defined and truncates toward zero.
std::uint32_t NormalByte(float component) {
  return static_cast<std::uint8_t>(static_cast<int>(component));
}

}  // namespace

void ComputeVertexNormals(const float* heights, const float* east, const float* north,
                          std::uint8_t* normals) {
  CellFloats dx, dy;
  Differences(heights, east, north, dx, dy);
  // (128, 0, dx) x (0, 128, dy) = (-128 dx, -128 dy, 128 * 128). Flat float
  // arrays and no branches, so the compiler vectorises the loop; each
  // vertex's three bytes are packed into one word.
  std::array<std::uint32_t, kVerticesPerCell> packed;
  for (int v = 0; v < kVerticesPerCell; ++v) {
    float x = -kSpacing * dx[v];
    float y = -kSpacing * dy[v];
    float z = kSpacing * kSpacing;
    float scale = std::sqrt(x * x + y * y + z * z) / kNormalLength;
    packed[v] = NormalByte(x / scale) | NormalByte(y / scale) << 8 | NormalByte(z / scale) << 16;
  }
  // One 4-byte store per vertex instead of three 1-byte ones; the next
  // vertex's store overwrites the spare fourth byte.
  static_assert(std::endian::native == std::endian::little);
  for (int v = 0; v + 1 < kVerticesPerCell; ++v)
    std::memcpy(normals + 3 * v, &packed[v], 4);
  std::memcpy(normals + 3 * (kVerticesPerCell - 1), &packed[kVerticesPerCell - 1], 3);
}

void ComputeWorldMapHeights(const float* heights, std::uint8_t* mapHeights) {
  constexpr int kStride = kLast / (kWorldMapSide - 1);  // every 8th vertex
  for (int r = 0; r < kWorldMapSide; ++r) {
    for (int c = 0; c < kWorldMapSide; ++c) {
      float height = heights[(r * kStride) * kSide + c * kStride];
      float level = std::clamp(std::floor(height / kSpacing), -128.0f, 127.0f);
      mapHeights[r * kWorldMapSide + c] =
          static_cast<std::uint8_t>(static_cast<std::int8_t>(level));
    }
  }
}

CellNormalsCalculator::CellNormalsCalculator(const CellHeights& heights)
    : heights_(heights), rows_(std::size_t{2} * kCellsPerSide * kVerticesPerCell) {}

const float* CellNormalsCalculator::decoded(int cellRow, int column) {
  int slot = cellRow % 2;
  float* row = rows_.data() + std::size_t{kVerticesPerCell} * kCellsPerSide * slot;
  if (rowInSlot_[slot] != cellRow) {
    for (int c = 0; c < kCellsPerSide; ++c)
      DecodeCellHeightsInUnits(heights_, cellRow * kCellsPerSide + c, row + kVerticesPerCell * c);
    rowInSlot_[slot] = cellRow;
  }
  return row + std::size_t{kVerticesPerCell} * column;
}

const CellNormals& CellNormalsCalculator::compute(int cell) {
  int row = cell / kCellsPerSide;
  int column = cell % kCellsPerSide;
  // Rows r and r + 1 sit in different halves of the cache.
  const float* north = row + 1 < kCellsPerSide ? decoded(row + 1, column) : nullptr;
  const float* heights = decoded(row, column);
  const float* east = column + 1 < kCellsPerSide ? decoded(row, column + 1) : nullptr;
  ComputeVertexNormals(heights, east, north, result_.normals.data());
  ComputeWorldMapHeights(heights, result_.mapHeights.data());
  return result_;
}

}  // namespace brackwyn
