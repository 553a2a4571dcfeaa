// Normals and map heights of a whole world of 2704 cells, on hills that
// change every vertex so that no difference repeats.
#include <benchmark/benchmark.h>

#include <cmath>

#include "land/cell_normals.hpp"

namespace brackwyn {
namespace {

CellHeights HillyCells() {
  CellHeights cells;
  cells.baseHeight.assign(kCellCount, -100.0f);
  cells.heightSteps.resize(std::size_t{kCellCount} * kVerticesPerCell);
  for (std::size_t v = 0; v < cells.heightSteps.size(); ++v)
    cells.heightSteps[v] = static_cast<std::uint8_t>(std::lround(20 * std::sin(v * 0.01)));
  return cells;
}

void BM_WorldNormals(benchmark::State& state) {
  CellHeights cells = HillyCells();
  for (auto _ : state) {
    CellNormalsCalculator calculator(cells);
    for (int cell = 0; cell < kCellCount; ++cell)
      benchmark::DoNotOptimize(calculator.compute(cell).normals.data());
  }
  state.SetItemsProcessed(state.iterations() * kCellCount * kVerticesPerCell);
}
BENCHMARK(BM_WorldNormals)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brackwyn
