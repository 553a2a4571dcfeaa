#include "elevation/process_elevation.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "core/parallel_for.hpp"
#include "core/run_error.hpp"
#include "core/thread_count.hpp"
#include "elevation/height_scaling.hpp"
#include "model/control_names.hpp"
#include "model/control_table.hpp"

namespace brackwyn {
namespace {

constexpr int kHeightMin = std::numeric_limits<std::int16_t>::min();
constexpr int kHeightMax = std::numeric_limits<std::int16_t>::max();
// Largest interior + mountain range, in world units, that keeps the merged
// height in 16 bits above the coast's 32 steps or below its -256.
constexpr int kMergedRangeMaxUnits = (kHeightMax - 32) * kUnitsPerHeightStep;
constexpr int kMergedRangeMinUnits = (kHeightMin + 256) * kUnitsPerHeightStep;

bool FitsHeight(double value) {
  return value >= kHeightMin && value <= kHeightMax;  // false for NaN
}

std::string Pixel(int x, int y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

std::string DescribeHeight(double value) {
  if (!std::isfinite(value))
    return "a height without a number";
  return std::to_string(static_cast<long long>(value)) + " height steps";
}

[[noreturn]] void ThrowScaleOverflow(std::string_view setting, int sample, int x, int y,
                                     double height) {
  throw RunError("Setting " + DescribeSetting(setting) + ": this range turns the sample " +
                 std::to_string(sample) + " at pixel " + Pixel(x, y) + " into " +
                 DescribeHeight(height) +
                 ", beyond the -32768 to 32767 steps of 8 units that a height can hold. Use a "
                 "range between -262136 and 262136 world units.");
}

// A scale may overflow only for samples the bitmap does not use, so the check
// looks at the layer, not just the table.
void CheckScaledSamplesFit(const HeightLayer& layer, float gridScale, std::string_view setting) {
  std::array<bool, kSampleValues> fits{};
  bool allFit = true;
  for (int v = 0; v < kSampleValues; ++v) {
    fits[v] = FitsHeight(ScaledHeight(gridScale, v));
    allFit = allFit && fits[v];
  }
  if (allFit)
    return;
  for (int y = 0; y < kBitmapSide; ++y) {
    const std::uint8_t* row = layer.row(y);
    for (int x = 0; x < kBitmapSide; ++x) {
      std::uint8_t sample = row[x];
      if (!fits[sample])
        ThrowScaleOverflow(setting, sample, x, y, ScaledHeight(gridScale, sample));
    }
  }
}

SampleTable CheckedScaledTable(const HeightLayer& layer, float gridScale,
                               std::string_view setting) {
  CheckScaledSamplesFit(layer, gridScale, setting);
  SampleTable table{};
  for (int v = 0; v < kSampleValues; ++v) {
    double height = ScaledHeight(gridScale, v);
    table[v] = FitsHeight(height) ? static_cast<std::int16_t>(height) : 0;
  }
  return table;
}

// The three tables that turn a layer's raw samples into heights in steps.
struct LayerTables {
  SampleTable coast;
  SampleTable interior;
  SampleTable mountain;
};

int MergedHeight(const LayerTables& tables, std::uint8_t coast, std::uint8_t interior,
                 std::uint8_t mountain) {
  return tables.coast[coast] + tables.interior[interior] + tables.mountain[mountain];
}

[[noreturn]] void ThrowMergeOverflow(const HeightLayers& layers, const LayerTables& tables, int y) {
  const std::uint8_t* coast = layers.coast.row(y);
  const std::uint8_t* interior = layers.interior.row(y);
  const std::uint8_t* mountain = layers.mountain.row(y);
  int x = 0;
  int sum = 0;
  for (; x < kBitmapSide; ++x) {
    sum = MergedHeight(tables, coast[x], interior[x], mountain[x]);
    if (sum < kHeightMin || sum > kHeightMax)
      break;
  }
  std::string advice = sum > 0 ? "together at most " + std::to_string(kMergedRangeMaxUnits)
                               : "together at least " + std::to_string(kMergedRangeMinUnits);
  throw RunError("The heights at pixel " + Pixel(x, y) + " add up to " + std::to_string(sum) +
                 " height steps (coast " + std::to_string(tables.coast[coast[x]]) + ", interior " +
                 std::to_string(tables.interior[interior[x]]) + ", mountain " +
                 std::to_string(tables.mountain[mountain[x]]) +
                 "), beyond the -32768 to 32767 steps of 8 units that a height can hold. The "
                 "ranges " +
                 DescribeSetting(control::txtScaleInterior) + " and " +
                 DescribeSetting(control::txtScaleMountain) + " must make " + advice +
                 " world units.");
}

// Merges rows [begin, end); returns the first row whose sum leaves 16 bits,
// or end.
int MergeRows(const HeightLayers& layers, const LayerTables& tables, HeightGrid& grid, int begin,
              int end) {
  for (int y = begin; y < end; ++y) {
    const std::uint8_t* coast = layers.coast.row(y);
    const std::uint8_t* interior = layers.interior.row(y);
    const std::uint8_t* mountain = layers.mountain.row(y);
    std::int16_t* merged = grid.row(y);
    int low = 0;
    int high = 0;
    for (int x = 0; x < kBitmapSide; ++x) {
      int sum = MergedHeight(tables, coast[x], interior[x], mountain[x]);
      merged[x] = static_cast<std::int16_t>(sum);
      low = std::min(low, sum);
      high = std::max(high, sum);
    }
    if (low < kHeightMin || high > kHeightMax)
      return y;
  }
  return end;
}

// Each layer is scaled on the way into the grid, in one pass over the three,
// in blocks of rows split across the threads, yielding after each block.
void MergeLayers(RunContext& run, const LayerTables& tables) {
  const HeightLayers& layers = run.state.layers;
  HeightGrid& grid = run.state.heightGrid;
  WorkerTeam team(ThreadCount());
  for (int first = 0; first < kBitmapSide; first += kMergedRowsPerYield) {
    const int rows = std::min(kMergedRowsPerYield, kBitmapSide - first);
    std::atomic<int> lowestOverflow{kBitmapSide};
    team.forEach(rows, [&](int begin, int end) {
      int found = MergeRows(layers, tables, grid, first + begin, first + end);
      if (found == first + end)
        return;
      int seen = lowestOverflow.load();
      while (found < seen && !lowestOverflow.compare_exchange_weak(seen, found)) {
      }
    });
    if (lowestOverflow < kBitmapSide)
      ThrowMergeOverflow(layers, tables, lowestOverflow);
    run.progress.YieldToUI();
  }
}

void SetBorder(HeightGrid& grid) {
  for (int x = 0; x < kHeightGridSide; ++x)
    grid.at(x, kBitmapSide) = kBorderHeight;
  for (int y = 0; y < kHeightGridSide; ++y)
    grid.at(kBitmapSide, y) = kBorderHeight;
}

}  // namespace

void ProcessElevation(RunContext& run) {
  run.progress.StartStage();
  HeightLayers& layers = run.state.layers;
  if (layers.coast.empty() || layers.interior.empty() || layers.mountain.empty() ||
      run.state.heightGrid.empty()) {
    throw std::logic_error("ProcessElevation needs the layers and grid of LoadElevation");
  }
  const RunParameters& parameters = run.state.parameters;

  LayerTables tables;
  run.progress.ShowProgress(" - Scaling coast heights");
  tables.coast = CoastTable();
  run.progress.YieldToUI();
  run.progress.ShowProgress(" - Scaling interior heights");
  tables.interior =
      CheckedScaledTable(layers.interior, parameters.interiorScale, control::txtScaleInterior);
  run.progress.YieldToUI();
  run.progress.ShowProgress(" - Scaling mountain heights");
  tables.mountain =
      CheckedScaledTable(layers.mountain, parameters.mountainScale, control::txtScaleMountain);
  run.progress.YieldToUI();
  run.progress.ShowProgress(" - Merging heights");
  MergeLayers(run, tables);
  SetBorder(run.state.heightGrid);

  layers = HeightLayers();
  run.progress.LogStageTime("ProcessElevation");
}

}  // namespace brackwyn
