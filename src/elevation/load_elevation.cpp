#include "elevation/load_elevation.hpp"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/gray_bitmap.hpp"
#include "core/parallel_for.hpp"
#include "core/thread_count.hpp"
#include "elevation/heightmap_file.hpp"

namespace brackwyn {
namespace {

// Each block of rows is split between the threads, each with its own reader
// reading its share in one piece, and the window gets a turn after each block.
void LoadLayer(RunContext& run, WorkerTeam& team, const std::string& fileName,
               std::string_view role, HeightLayer& layer) {
  const std::filesystem::path path = run.state.resolve(fileName);
  const int threads = team.size();
  const int rowsPerPart = (kLoadedRowsPerYield + threads - 1) / threads;
  std::vector<std::unique_ptr<GrayBitmapReader>> readers;
  for (int part = 0; part < threads; ++part)
    readers.push_back(std::make_unique<GrayBitmapReader>(path, std::string(role), rowsPerPart));
  for (int first = 0; first < kBitmapSide; first += kLoadedRowsPerYield) {
    const int last = std::min(kBitmapSide, first + kLoadedRowsPerYield);
    team.forEach(threads, [&](int begin, int end) {
      for (int part = begin; part < end; ++part) {
        GrayBitmapReader& reader = *readers[static_cast<std::size_t>(part)];
        const int partEnd = std::min(last, first + (part + 1) * rowsPerPart);
        for (int y = first + part * rowsPerPart; y < partEnd; ++y)
          reader.sampleRow(y, layer.row(y));
      }
    });
    run.progress.YieldToUI();
  }
}

// Zeroed by all threads: first touched, each part of the grid is handed out
// by the system on the thread that zeroes it, in parallel.
void ZeroGrid(WorkerTeam& team, HeightGrid& grid) {
  grid.allocateUnset();
  team.forEach(kHeightGridSide, [&](int begin, int end) {
    std::fill(grid.row(begin), grid.row(begin) + std::size_t{kHeightGridSide} * (end - begin),
              std::int16_t{0});
  });
}

}  // namespace

void LoadElevation(RunContext& run) {
  run.progress.StartStage();
  HeightLayers& layers = run.state.layers;
  // Drop old contents first so a second run does not hold two sets at once.
  layers = HeightLayers();
  run.state.heightGrid.release();
  const RunParameters& parameters = run.state.parameters;
  if (parameters.useHeightmap) {
    run.progress.ShowProgress(" - Loading heightmap");
    HeightmapSamples heightmap =
        ReadHeightmap(run.state.resolve(parameters.heightmapName), kHeightmapRole);
    layers.heightmap = std::move(heightmap.samples);
    layers.heightmapMaximum = heightmap.maximum;
    // ProcessElevation writes every height, first touching the grid on its threads.
    run.state.heightGrid.allocateUnset();
    run.progress.YieldToUI();
    run.progress.LogStageTime("LoadElevation");
    return;
  }
  layers.coast.allocateUnset();
  layers.interior.allocateUnset();
  layers.mountain.allocateUnset();

  run.progress.ShowProgress(" - Loading height bitmaps");
  WorkerTeam team(ThreadCount());
  ZeroGrid(team, run.state.heightGrid);
  LoadLayer(run, team, parameters.coastBitmapName, "coast height bitmap (txtBitmapCoast)",
            layers.coast);
  LoadLayer(run, team, parameters.interiorBitmapName, "interior height bitmap (txtBitmapInterior)",
            layers.interior);
  LoadLayer(run, team, parameters.mountainBitmapName, "mountain height bitmap (txtBitmapMountain)",
            layers.mountain);
  run.progress.LogStageTime("LoadElevation");
}

}  // namespace brackwyn
