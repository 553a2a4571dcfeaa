// The land textures a run chose: the textures some square uses, and the
// texture of every square of every cell. A cell has 16 x 16 squares of 4 x 4
// quads; square (u, v), u east and v north from 0, is entry v * 16 + u of its
// cell, cells in cell index order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/units.hpp"

namespace brackwyn {

inline constexpr int kTextureSquaresPerCellSide = 16;
inline constexpr int kTextureSquaresPerCell =
    kTextureSquaresPerCellSide * kTextureSquaresPerCellSide;  // 256
inline constexpr int kQuadsPerTextureSquareSide = kQuadsPerCellSide / kTextureSquaresPerCellSide;

struct LandTexture {
  std::string id;    // LTEX NAME
  std::string file;  // LTEX DATA, the texture file under the game's Textures folder
};

struct LandTextures {
  // In order of first use; a texture's place in this list is its LTEX index.
  std::vector<LandTexture> used;
  // kTextureSquaresPerCell per cell: the LTEX index + 1, or 0 for the game's
  // default texture. Empty when the land is not textured.
  std::vector<std::uint16_t> squares;

  bool empty() const { return squares.empty(); }
  // The squares of one cell; empty when the land is not textured.
  std::span<const std::uint16_t> cell(int cell) const {
    if (squares.empty())
      return {};
    return std::span(squares).subspan(std::size_t{kTextureSquaresPerCell} * cell,
                                      kTextureSquaresPerCell);
  }
};

}  // namespace brackwyn
