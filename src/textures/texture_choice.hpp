// Which rule textures each square, and the land textures that result.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/land_textures.hpp"
#include "textures/square_terrain.hpp"
#include "textures/texture_index.hpp"
#include "textures/texture_mask.hpp"

namespace brackwyn {

// A rule as the square loop tests it.
struct SquareRule {
  double lowestHeight;
  double highestHeight;
  std::int64_t steepestGradient;  // GradientLimit of the rule's slope
  const TextureMask* mask;        // nullptr: no mask
};

// `masks[i]` is rule i's mask, or nullptr.
std::vector<SquareRule> MakeSquareRules(const std::vector<TextureRule>& rules,
                                        std::span<const TextureMask* const> masks);

// For every square of cell (column, row), the number from 1 of the first rule
// it qualifies for, or 0 for none, into ruleOfSquare[v * 16 + u].
void ChooseCellRules(std::span<const SquareRule> rules, const CellSquareTerrain& squares,
                     int column, int row, std::uint8_t* ruleOfSquare);

// Turns the rule numbers of every square (kTextureSquaresPerCell per cell,
// cell index order) into land textures: one texture per ID that some square
// uses, numbered in order of first use, cells in index order and squares row
// by row; rules that share an ID (whatever its case) share its texture.
LandTextures NumberTexturesByUse(const std::vector<TextureRule>& rules,
                                 std::span<const std::uint8_t> ruleOfSquare);

}  // namespace brackwyn
