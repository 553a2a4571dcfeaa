// Height steps and vertex colours of a whole world of 2704 cells, on hills
// across the palette's heights, with the output arrays kept from the round
// before so that what is timed is the work, not fresh memory.
#include <benchmark/benchmark.h>

#include <cmath>

#include "land/cell_colors.hpp"
#include "land/cell_heights.hpp"
#include "land/vertex_color_palette.hpp"

namespace brackwyn {
namespace {

class HillyWorld {
 public:
  HillyWorld() : progress_(window_), run_{window_, progress_, state_} {
    state_.heightGrid.allocate();
    for (int y = 0; y < kHeightGridSide; ++y) {
      for (int x = 0; x < kHeightGridSide; ++x) {
        state_.heightGrid.at(x, y) =
            static_cast<std::int16_t>(std::lround(-120 + 130 * std::sin(x * 0.01 + y * 0.003)));
      }
    }
    CreatePalette(run_);
  }
  RunContext& run() { return run_; }

 private:
  WindowModel window_;
  ProgressReporter progress_;
  RunState state_;
  RunContext run_;
};

template <void (*Stage)(RunContext&)>
void BM_LandStage(benchmark::State& state) {
  HillyWorld world;
  for (auto _ : state)
    Stage(world.run());
  state.SetItemsProcessed(state.iterations() * kCellCount * kVerticesPerCell);
}
BENCHMARK_TEMPLATE(BM_LandStage, CreateVHGT)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_LandStage, CreateVCLR)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brackwyn
