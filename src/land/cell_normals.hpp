// Vertex normals (VNML) and world-map heights (WNAM) of a cell, computed from
// the heights the game decodes from the cell's VHGT data, so that lighting
// and map match the terrain the game actually builds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/land_data.hpp"

namespace brackwyn {

inline constexpr std::size_t kVertexNormalBytes = std::size_t{kVerticesPerCell} * 3;  // 12675
inline constexpr int kWorldMapSide = 9;
inline constexpr std::size_t kWorldMapHeightBytes = kWorldMapSide * kWorldMapSide;  // 81

struct CellNormals {
  // x (east), y (north), z (up) of each vertex in vertex order, signed bytes.
  std::array<std::uint8_t, kVertexNormalBytes> normals{};
  // Byte 9 r + c: the height of vertex (8 c, 8 r) / 128 units, signed byte.
  std::array<std::uint8_t, kWorldMapHeightBytes> mapHeights{};
};

// `heights`, `east` and `north` are decoded cells (DecodeCellHeightsInUnits); `east`
// and `north` are the neighbours, nullptr at the edge of the world.
void ComputeVertexNormals(const float* heights, const float* east, const float* north,
                          std::uint8_t* normals);
void ComputeWorldMapHeights(const float* heights, std::uint8_t* mapHeights);

// Normals and map heights of every cell of a world, each cell decoded once
// when cells are asked for in index order.
class CellNormalsCalculator {
 public:
  explicit CellNormalsCalculator(const CellHeights& heights);

  // The result stays valid until the next call.
  const CellNormals& compute(int cell);

 private:
  const float* decoded(int cellRow, int column);

  const CellHeights& heights_;
  std::vector<float> rows_;               // two cell rows of decoded cells
  std::array<int, 2> rowInSlot_{-1, -1};  // which cell row each half holds
  CellNormals result_;
};

}  // namespace brackwyn
