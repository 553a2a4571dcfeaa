#include "textures/create_vtex.hpp"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/control_names.hpp"
#include "textures/square_terrain.hpp"
#include "textures/texture_choice.hpp"
#include "textures/texture_index.hpp"
#include "textures/texture_mask.hpp"

namespace brackwyn {
namespace {

std::string MaskRole(const TextureRule& rule) {
  return "mask bitmap named in row " + std::to_string(rule.row) +
         ", column 6 of the texture index (txtTextureIndex)";
}

// One mask per rule that names one; nullptr for the others.
std::vector<std::unique_ptr<TextureMask>> ReadMasks(RunContext& run,
                                                    const std::vector<TextureRule>& rules) {
  std::vector<std::unique_ptr<TextureMask>> masks(rules.size());
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (rules[i].maskFile.empty())
      continue;
    run.progress.ShowProgress(" - Loading texture masks");
    run.progress.YieldToUI();
    masks[i] = std::make_unique<TextureMask>(
        TextureMask::Read(run.state.resolve(rules[i].maskFile), MaskRole(rules[i])));
  }
  return masks;
}

}  // namespace

std::string TexturingProgressText(int y0) {
  auto percent = static_cast<int>(y0 / 3327.0 * 100.0);
  return " - Texturing the land - " + std::to_string(percent) + "% Complete";
}

void CreateVTEX(RunContext& run) {
  run.state.landTextures = LandTextures();
  if (run.window.state(control::chkCreateTextures) == 0)
    return;
  run.progress.StartStage();
  const CellHeights& heights = run.state.cellHeights;
  if (heights.baseHeight.size() < std::size_t{kCellCount})
    throw std::logic_error("CreateVTEX needs the cell heights of CreateVHGT");

  const std::filesystem::path index = run.state.resolve(run.window.text(control::txtTextureIndex));
  std::vector<TextureRule> rules = ReadTextureIndex(index);
  run.state.files.AddInput("texture index file (txtTextureIndex)", index);
  for (const TextureRule& rule : rules) {
    if (!rule.maskFile.empty())
      run.state.files.AddInput(MaskRole(rule), run.state.resolve(rule.maskFile));
  }
  run.state.files.Check();
  std::vector<std::unique_ptr<TextureMask>> masks = ReadMasks(run, rules);
  std::vector<const TextureMask*> maskOfRule;
  for (const auto& mask : masks)
    maskOfRule.push_back(mask.get());
  std::vector<SquareRule> squareRules = MakeSquareRules(rules, maskOfRule);

  std::vector<std::uint8_t> ruleOfSquare(std::size_t{kCellCount} * kTextureSquaresPerCell);
  DecodedCellHeights decoded;
  CellSquareTerrain squares;
  for (int r = 0; r < kCellsPerSide; ++r) {
    for (int c = 0; c < kCellsPerSide; ++c) {
      int cell = r * kCellsPerSide + c;
      DecodeCellHeights(heights, cell, decoded.data());
      MeasureSquares(decoded, squares);
      ChooseCellRules(squareRules, squares, c, r,
                      ruleOfSquare.data() + std::size_t{kTextureSquaresPerCell} * cell);
    }
    run.progress.ShowProgress(TexturingProgressText(r * kQuadsPerCellSide));
    run.progress.YieldToUI();
  }
  run.state.landTextures = NumberTexturesByUse(rules, ruleOfSquare);
  run.progress.LogStageTime("CreateVTEX");
}

}  // namespace brackwyn
