// Everything a run hands from stage to stage. It lives as long as the window,
// and stages reach it, the window model and the progress services through one
// RunContext.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/output_check.hpp"
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

// A vertex whose height step CreateVHGT clipped, in HeightGrid coordinates.
struct ClippedVertex {
  int x;
  int y;
};

// An object the plugin writer gave a reference: its anchor sub-cell
// (0..26623 each way, row 0 at the bottom) and kind number.
struct PlacedObject {
  std::uint16_t subCellX;
  std::uint16_t subCellY;
  std::uint8_t kind;
  bool operator==(const PlacedObject&) const = default;
};

struct RunState {
  // File names are relative to this folder unless they carry their own root.
  std::filesystem::path workingDirectory = ".";

  // Files the front end reads or writes around the run (a preview, a report,
  // a screenshot): the run checks its outputs against these too.
  OutputCheck frontEndFiles;
  // Every file of the current run. Filled at its start; stages that learn more
  // names add them and check again before they write.
  OutputCheck files;

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
  // Kept for the preview picture, which draws the run without reading the
  // plugin back.
  std::vector<ClippedVertex> clippedVertices;
  std::vector<PlacedObject> placedObjects;

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
