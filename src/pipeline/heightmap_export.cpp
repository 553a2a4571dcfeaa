#include "pipeline/heightmap_export.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "core/positioned_file.hpp"
#include "core/run_error.hpp"
#include "elevation/heightmap_heights.hpp"
#include "model/decoded_heights.hpp"

namespace brackwyn {
namespace {

constexpr std::int32_t kNoLandHeight = kBorderHeight * kUnitsPerHeightStep;  // -2048
constexpr int kMaximum = 65535;

using CellKey = std::pair<int, int>;

// The land that wins each exterior cell: the last LAND record for it.
std::map<CellKey, const PluginLand*> LoadedLand(std::span<const PluginContents> plugins) {
  std::map<CellKey, const PluginLand*> cells;
  for (const PluginContents& plugin : plugins) {
    for (const PluginLand& land : plugin.lands)
      cells[{land.gridX, land.gridY}] = &land;
  }
  std::erase_if(cells, [](const auto& entry) {
    return !entry.second->baseHeight || entry.second->heightSteps.size() != kVerticesPerCell;
  });
  return cells;
}

CellCoordinates BottomLeft(const std::map<CellKey, const PluginLand*>& cells) {
  CellCoordinates corner{std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
  for (const auto& [key, land] : cells) {
    corner.x = std::min(corner.x, key.first);
    corner.y = std::min(corner.y, key.second);
  }
  return corner;
}

// In 64 bits: another writer's cells may lie anywhere in 32.
bool Inside(CellCoordinates origin, const CellKey& key) {
  return key.first >= origin.x && key.first < std::int64_t{origin.x} + kCellsPerSide &&
         key.second >= origin.y && key.second < std::int64_t{origin.y} + kCellsPerSide;
}

}  // namespace

HeightmapExport ExportHeightmap(std::span<const PluginContents> plugins,
                                std::optional<CellCoordinates> origin) {
  const std::map<CellKey, const PluginLand*> cells = LoadedLand(plugins);
  if (cells.empty())
    throw RunError("None of the plugins has land with heights: there is nothing to export.");
  HeightmapExport result;
  result.origin = origin ? *origin : BottomLeft(cells);

  // Heights in world units, row 0 at the bottom, before they become samples.
  // Decoded heights stay within a few million units: 32 bits hold them.
  std::vector<std::int32_t> heights(std::size_t{kBitmapSide} * kBitmapSide, kNoLandHeight);
  std::array<std::int32_t, kVerticesPerCell> decoded;
  for (const auto& [key, land] : cells) {
    if (!Inside(result.origin, key)) {
      ++result.cellsOutside;
      continue;
    }
    const float base = *land->baseHeight;
    if (base != std::nearbyint(base))
      result.roundedHeights += kQuadsPerCellSide * kQuadsPerCellSide;
    DecodeCellHeights(base, land->heightSteps.data(), decoded.data());
    // Each cell gives its vertices 0..63 each way; vertex 64 is the next cell's 0.
    const int column = key.first - result.origin.x, row = key.second - result.origin.y;
    for (int dy = 0; dy < kQuadsPerCellSide; ++dy) {
      std::int32_t* out = heights.data() +
                          std::size_t{kBitmapSide} * (row * kQuadsPerCellSide + dy) +
                          column * kQuadsPerCellSide;
      for (int dx = 0; dx < kQuadsPerCellSide; ++dx)
        out[dx] = decoded[std::size_t(dy * kVerticesPerCellSide + dx)] * kUnitsPerHeightStep;
    }
  }
  auto [lowest, highest] = std::ranges::minmax_element(heights);
  result.low = *lowest;
  result.high = *highest > *lowest ? *highest : *lowest + kUnitsPerHeightStep;
  result.samples.allocateUnset();
  std::uint16_t* samples = result.samples.values().data();
  for (std::size_t i = 0; i < heights.size(); ++i)
    samples[i] =
        static_cast<std::uint16_t>(HeightmapSample(result.low, result.high, kMaximum, heights[i]));
  return result;
}

}  // namespace brackwyn
