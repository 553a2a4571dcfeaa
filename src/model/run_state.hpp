// Everything a run hands from stage to stage. It lives as long as the window,
// and stages reach it, the window model and the progress services through one
// RunContext.
#pragma once

#include <filesystem>
#include <string_view>

#include "core/random_stream.hpp"
#include "core/utf8_path.hpp"
#include "model/height_grid.hpp"
#include "model/land_data.hpp"
#include "model/land_textures.hpp"
#include "model/object_palette.hpp"
#include "model/progress_reporter.hpp"
#include "model/run_parameters.hpp"
#include "model/window_model.hpp"

namespace brackwyn {

struct RunState {
  // File names are relative to this folder unless they carry their own root.
  std::filesystem::path workingDirectory = ".";

  RunParameters parameters;
  HeightLayers layers;  // from LoadElevation to the end of ProcessElevation
  HeightGrid heightGrid;
  VertexColorPalette palette{};
  CellHeights cellHeights;
  CellColors cellColors;
  LandTextures landTextures;  // empty unless the land is textured
  ObjectPalette objectPalette;
  ObjectCounts objectCounts{};
  RandomStream random;

  std::filesystem::path resolve(std::string_view fileName) const {
    return workingDirectory / PathFromUtf8(fileName);
  }
};

struct RunContext {
  WindowModel& window;
  ProgressReporter& progress;
  RunState& state;
};

}  // namespace brackwyn
