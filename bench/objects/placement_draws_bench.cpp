// The draws of whole pixel rows where `qualifying` of `kinds` kinds can be
// placed, each with candidate limit `limit` (divisor 1, so the density is the
// limit): the figures the choice between drawing every kind's draws in bulk
// and drawing the qualifying kinds' alone was fitted to.
#include <benchmark/benchmark.h>

#include "core/random_stream.hpp"
#include "objects/placement_draws.hpp"

namespace brackwyn {
namespace {

constexpr int kRows = 16;

void BM_PlacementDraws(benchmark::State& state) {
  const int kinds = static_cast<int>(state.range(0));
  const int qualifying = static_cast<int>(state.range(1));
  const auto limit = static_cast<std::uint8_t>(state.range(2));
  ObjectDensity density;
  density.allocate(kinds);
  for (int y = 0; y < kRows; ++y)
    for (int x = 0; x < kBitmapSide; ++x)
      for (int q = 0; q < qualifying; ++q)  // spread over the kinds, moving pixel by pixel
        density.set(1 + (x + q * kinds / qualifying) % kinds, x, y, limit);
  RandomStream random;
  random.seed(1);
  PlacementDraws draws(density, random.key());
  RowAttempts row;
  std::uint64_t counter = 0;
  for (auto _ : state) {
    for (int y = 0; y < kRows; ++y) {
      draws.draw(y, 0, {1, 0, kBitmapSide - 1}, counter, row);
      counter = row.counterAfter.back();
      benchmark::DoNotOptimize(row.attempts.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kRows * kBitmapSide);
}
BENCHMARK(BM_PlacementDraws)
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (int kinds : {6, 12, 48})
        for (int qualifying : {1, 2, 4, 6})
          for (int limit : {1, 3, 32, 128, 255})
            b->Args({kinds, qualifying, limit});
      b->Args({12, 12, 3});  // as in the dense world of bench_object_scenarios
    })
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brackwyn
