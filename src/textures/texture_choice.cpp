#include "textures/texture_choice.hpp"

#include <array>

namespace brackwyn {
namespace {

bool Qualifies(const SquareRule& rule, const SquareTerrain& square, int x, int y) {
  return square.meanHeight >= rule.lowestHeight && square.meanHeight <= rule.highestHeight &&
         square.steepestGradient <= rule.steepestGradient &&
         (rule.mask == nullptr || rule.mask->allows(x, y));
}

// For each rule number, the number of the first rule with the same ID.
std::vector<std::size_t> FirstRuleOfSameId(const std::vector<TextureRule>& rules) {
  std::vector<std::size_t> first(rules.size() + 1, 0);
  for (std::size_t i = 0; i < rules.size(); ++i) {
    first[i + 1] = i + 1;
    for (std::size_t j = 0; j < i; ++j) {
      if (SameTextureId(rules[j].id, rules[i].id)) {
        first[i + 1] = j + 1;
        break;
      }
    }
  }
  return first;
}

}  // namespace

std::vector<SquareRule> MakeSquareRules(const std::vector<TextureRule>& rules,
                                        std::span<const TextureMask* const> masks) {
  std::vector<SquareRule> squareRules;
  for (std::size_t i = 0; i < rules.size(); ++i) {
    squareRules.push_back({rules[i].lowestHeight, rules[i].highestHeight,
                           GradientLimit(rules[i].steepestSlope), masks[i]});
  }
  return squareRules;
}

void ChooseCellRules(std::span<const SquareRule> rules, const CellSquareTerrain& squares,
                     int column, int row, std::uint8_t* ruleOfSquare) {
  for (int v = 0; v < kTextureSquaresPerCellSide; ++v) {
    for (int u = 0; u < kTextureSquaresPerCellSide; ++u) {
      int square = v * kTextureSquaresPerCellSide + u;
      int x = column * kTextureSquaresPerCellSide + u;
      int y = row * kTextureSquaresPerCellSide + v;
      std::uint8_t chosen = 0;
      for (std::size_t r = 0; r < rules.size() && chosen == 0; ++r) {
        if (Qualifies(rules[r], squares[square], x, y))
          chosen = static_cast<std::uint8_t>(r + 1);
      }
      ruleOfSquare[square] = chosen;
    }
  }
}

LandTextures NumberTexturesByUse(const std::vector<TextureRule>& rules,
                                 std::span<const std::uint8_t> ruleOfSquare) {
  std::vector<std::size_t> firstOfId = FirstRuleOfSameId(rules);
  std::array<std::uint16_t, 256> valueOfRule{};  // LTEX index + 1, 0 until first used
  LandTextures textures;
  textures.squares.resize(ruleOfSquare.size());
  for (std::size_t i = 0; i < ruleOfSquare.size(); ++i) {
    std::size_t rule = firstOfId[ruleOfSquare[i]];
    if (rule != 0 && valueOfRule[rule] == 0) {
      const TextureRule& first = rules[rule - 1];
      textures.used.push_back({first.id, first.file});
      valueOfRule[rule] = static_cast<std::uint16_t>(textures.used.size());
    }
    textures.squares[i] = valueOfRule[rule];
  }
  return textures;
}

}  // namespace brackwyn
