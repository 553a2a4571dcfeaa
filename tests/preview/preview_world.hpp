// A world made in memory for preview tests: an island in a deep sea, with
// optionally a cliff too steep for the land format, taken through the land
// stages (and, on request, the plugin writer).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/positioned_file.hpp"
#include "land/cell_colors.hpp"
#include "land/cell_heights.hpp"
#include "land/vertex_color_palette.hpp"
#include "pipeline/initialize_variables.hpp"
#include "plugin/create_esp.hpp"
#include "support/test_support.hpp"

namespace brackwyn::testing {

inline constexpr int kCliffX = 1000, kCliffY = 2000;  // its step up is clipped

struct PreviewWorld : TestRun {
  explicit PreviewWorld(bool cliff,
                        std::vector<std::pair<std::string, std::string>> settings = {}) {
    for (const auto& [name, value] : settings) {
      if (name.starts_with("chk"))
        window.setState(name, std::stoi(value));
      else
        window.setText(name, value);
    }
    InitializeVariables(context);
    CreatePalette(context);
    HeightGrid& grid = state.heightGrid;
    grid.allocate();
    for (int y = 0; y < kHeightGridSide; ++y) {
      for (int x = 0; x < kHeightGridSide; ++x) {
        double d = std::hypot(x - 1664.0, y - 1664.0);
        grid.at(x, y) = static_cast<std::int16_t>(std::clamp(400 - d / 2, -256.0, 300.0));
      }
    }
    for (int i = 0; i < kHeightGridSide; ++i)
      grid.at(i, kBitmapSide) = grid.at(kBitmapSide, i) = kBorderHeight;
    if (cliff)
      grid.at(kCliffX, kCliffY) += 400;
    CreateVHGT(context);
    CreateVCLR(context);
  }

  // Objects.dat with the given anchors (sub-cell x, y, kind), then the plugin.
  void writePlugin(const std::vector<PlacedObject>& anchors = {}) {
    if (!anchors.empty()) {
      PositionedFile file(folder / "Objects.dat", "object grid",
                          platform::OpenMode::WriteCreateTruncate, "write");
      file.setSize(std::uint64_t{kSubCellGridSide} * kSubCellGridSide, "size");
      for (const PlacedObject& anchor : anchors)
        file.writeFully(&anchor.kind, 1,
                        std::uint64_t(anchor.subCellY) * kSubCellGridSide + anchor.subCellX);
      file.closeChecked();
    }
    CreateESP(context);
  }
};

}  // namespace brackwyn::testing
