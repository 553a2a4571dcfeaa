#include "preview/plugin_picture.hpp"

#include <algorithm>
#include <climits>
#include <string>

#include "core/run_error.hpp"
#include "preview/land_picture.hpp"

namespace brackwyn {
namespace {

constexpr long long kMaxPreviewScale = 8;

bool HasHeights(const PluginLand& land) {
  return land.baseHeight.has_value() && land.heightSteps.size() == std::size_t{kVerticesPerCell};
}

struct CellBox {
  long long x0 = LLONG_MAX, y0 = LLONG_MAX, x1 = LLONG_MIN, y1 = LLONG_MIN;
  long long columns() const { return x1 - x0 + 1; }
  long long rows() const { return y1 - y0 + 1; }
};

}  // namespace

LandView PluginLandView(const PluginContents& plugin, int scale) {
  std::vector<const PluginLand*> lands;
  CellBox box;
  for (const PluginLand& land : plugin.lands) {
    if (!HasHeights(land))
      continue;
    lands.push_back(&land);
    box.x0 = std::min<long long>(box.x0, land.gridX);
    box.y0 = std::min<long long>(box.y0, land.gridY);
    box.x1 = std::max<long long>(box.x1, land.gridX);
    box.y1 = std::max<long long>(box.y1, land.gridY);
  }
  if (lands.empty())
    throw RunError("The plugin has no LAND record with heights (VHGT): there is no land to draw.");
  const long long cell = kQuadsPerCellSide / scale;
  const long long longest = std::max(box.columns(), box.rows());
  if (longest * cell > kMaxPictureSide) {
    // Only scales that --preview-scale takes are suggested.
    long long fitting = kMaxPreviewScale;
    for (long long s = scale; s <= kMaxPreviewScale; s *= 2) {
      if (longest * (kQuadsPerCellSide / s) <= kMaxPictureSide) {
        fitting = s;
        break;
      }
    }
    std::string advice = longest * (kQuadsPerCellSide / fitting) <= kMaxPictureSide
                             ? " Use --preview-scale " + std::to_string(fitting) + " or more."
                             : "";
    throw RunError("The cells with land span " + std::to_string(box.columns()) + " x " +
                   std::to_string(box.rows()) + " cells (grid X " + std::to_string(box.x0) +
                   " to " + std::to_string(box.x1) + ", Y " + std::to_string(box.y0) + " to " +
                   std::to_string(box.y1) + "): at " + std::to_string(scale) +
                   " vertices a pixel the picture would be wider than " +
                   std::to_string(kMaxPictureSide) + " pixels." + advice);
  }
  // Cell order, as the run puts its cells, so shared edges come out the same.
  std::stable_sort(lands.begin(), lands.end(), [](const PluginLand* a, const PluginLand* b) {
    return a->gridY != b->gridY ? a->gridY < b->gridY : a->gridX < b->gridX;
  });
  LandView view(static_cast<int>(box.x0), static_cast<int>(box.y0), static_cast<int>(box.columns()),
                static_cast<int>(box.rows()), scale);
  for (const PluginLand* land : lands) {
    const bool colored = land->colors.size() == std::size_t{kVerticesPerCell} * 3;
    view.putCell(land->gridX, land->gridY, *land->baseHeight, land->heightSteps.data(),
                 colored ? land->colors.data() : nullptr);
  }
  return view;
}

RgbImage DrawPluginPicture(const PluginContents& plugin, int scale) {
  return DrawLandPicture(PluginLandView(plugin, scale));
}

}  // namespace brackwyn
