// The texturing stage on rolling land with the example world's four rules:
// every square is measured and tested against rules until one fits.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "example_textures.hpp"
#include "model/run_state.hpp"
#include "textures/create_vtex.hpp"

namespace brackwyn {
namespace {

// Hills and slopes of every steepness, so that each of the rules is reached.
void FillRollingLand(CellHeights& heights) {
  heights.baseHeight.assign(kCellCount, 0.0f);
  heights.heightSteps.assign(std::size_t{kCellCount} * kVerticesPerCell, 0);
  for (int cell = 0; cell < kCellCount; ++cell) {
    heights.baseHeight[static_cast<std::size_t>(cell)] = static_cast<float>(cell % 700 - 100);
    std::uint8_t* steps = heights.heightSteps.data() + std::size_t{kVerticesPerCell} * cell;
    for (int v = 1; v < kVerticesPerCell; ++v) {
      double wave = 20 * std::sin(v * 0.013 + cell) * std::cos(v * 0.0021 * (cell % 7));
      steps[v] = static_cast<std::uint8_t>(static_cast<int>(wave));
    }
  }
}

void BM_CreateVTEX(benchmark::State& bench) {
  std::string pattern = std::filesystem::temp_directory_path() / "brackwyn-bench-XXXXXX";
  std::filesystem::path folder = ::mkdtemp(pattern.data());
  tools::WriteExampleTextures(folder);
  WindowModel window;
  window.setState("chkCreateTextures", 1);
  ProgressReporter progress(window);
  RunState state;
  state.workingDirectory = folder;
  FillRollingLand(state.cellHeights);
  RunContext run{window, progress, state};
  for (auto _ : bench) {
    CreateVTEX(run);
    benchmark::DoNotOptimize(state.landTextures.squares.data());
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CreateVTEX)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brackwyn
