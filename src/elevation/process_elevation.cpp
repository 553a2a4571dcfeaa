#include "elevation/process_elevation.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/parallel_for.hpp"
#include "core/positioned_file.hpp"
#include "core/processor_features.hpp"
#include "core/run_error.hpp"
#include "core/thread_count.hpp"
#include "elevation/height_scaling.hpp"
#include "elevation/heightmap_heights.hpp"
#include "elevation/load_elevation.hpp"
#include "model/control_names.hpp"
#include "model/control_table.hpp"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define BRACKWYN_X86_PERMUTE 1
#endif

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

// The three layers' samples of one row.
struct LayerRows {
  const std::uint8_t* coast;
  const std::uint8_t* interior;
  const std::uint8_t* mountain;
};

// Merges one row; false when a sum leaves 16 bits.
bool MergeRowPortable(const LayerTables& tables, LayerRows row, std::int16_t* merged) {
  int low = 0;
  int high = 0;
  for (int x = 0; x < kBitmapSide; ++x) {
    int sum = MergedHeight(tables, row.coast[x], row.interior[x], row.mountain[x]);
    merged[x] = static_cast<std::int16_t>(sum);
    low = std::min(low, sum);
    high = std::max(high, sum);
  }
  return low >= kHeightMin && high <= kHeightMax;
}

// Whether every choice of samples sums to a height in 16 bits, so that the
// merge may add in 16 bits without checking.
bool SumsAlwaysFit(const LayerTables& tables) {
  auto [coastLow, coastHigh] = std::ranges::minmax(tables.coast);
  auto [interiorLow, interiorHigh] = std::ranges::minmax(tables.interior);
  auto [mountainLow, mountainHigh] = std::ranges::minmax(tables.mountain);
  return coastLow + interiorLow + mountainLow >= kHeightMin &&
         coastHigh + interiorHigh + mountainHigh <= kHeightMax;
}

#if defined(BRACKWYN_X86_PERMUTE)
static_assert(kBitmapSide % 64 == 0);

// A table's low and high bytes, each as four 64-byte quarters that byte
// permutes look up in.
struct SplitTable {
  explicit SplitTable(const SampleTable& table) {
    for (int v = 0; v < kSampleValues; ++v) {
      low[v] = static_cast<std::uint8_t>(table[v]);
      high[v] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(table[v]) >> 8);
    }
  }
  alignas(64) std::array<std::uint8_t, kSampleValues> low;
  alignas(64) std::array<std::uint8_t, kSampleValues> high;
};

struct SplitTables {
  explicit SplitTables(const LayerTables& tables)
      : coast(tables.coast), interior(tables.interior), mountain(tables.mountain) {}
  SplitTable coast;
  SplitTable interior;
  SplitTable mountain;
};

// 64 look-ups in a 256-entry byte table: bit 7 of a sample picks the half,
// the permute the entry within it.
__attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline __m512i LookUp(
    const std::uint8_t* table, __m512i samples) {
  __m512i lowerHalf =
      _mm512_permutex2var_epi8(_mm512_loadu_si512(table), samples, _mm512_loadu_si512(table + 64));
  __m512i upperHalf = _mm512_permutex2var_epi8(_mm512_loadu_si512(table + 128), samples,
                                               _mm512_loadu_si512(table + 192));
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(samples), lowerHalf, upperHalf);
}

// Adds a layer's heights for 64 samples to two sums of 32 heights each,
// which hold the samples in the lane order the byte unpacks give.
__attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline void AddLayer(
    const SplitTable& table, const std::uint8_t* samples, __m512i& first, __m512i& second) {
  __m512i indices = _mm512_loadu_si512(samples);
  __m512i low = LookUp(table.low.data(), indices);
  __m512i high = LookUp(table.high.data(), indices);
  first = _mm512_add_epi16(first, _mm512_unpacklo_epi8(low, high));
  second = _mm512_add_epi16(second, _mm512_unpackhi_epi8(low, high));
}

// 64 samples a step, added in 16 bits: only for tables whose sums always fit.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void MergeRowVbmi(const SplitTables& tables,
                                                                         LayerRows row,
                                                                         std::int16_t* merged) {
  // Unpacking leaves each 128-bit lane's first eight samples in `first` and
  // its last eight in `second`; these put the samples back in order.
  const __m512i firstHalf = _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11);
  const __m512i secondHalf = _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15);
  for (int x = 0; x < kBitmapSide; x += 64) {
    __m512i first = _mm512_setzero_si512();
    __m512i second = _mm512_setzero_si512();
    AddLayer(tables.coast, row.coast + x, first, second);
    AddLayer(tables.interior, row.interior + x, first, second);
    AddLayer(tables.mountain, row.mountain + x, first, second);
    _mm512_storeu_si512(merged + x, _mm512_permutex2var_epi64(first, firstHalf, second));
    _mm512_storeu_si512(merged + x + 32, _mm512_permutex2var_epi64(first, secondHalf, second));
  }
}

// The tables widened to 32 bits, for AVX2's gathers of eight entries.
struct WideTables {
  explicit WideTables(const LayerTables& tables) {
    std::ranges::copy(tables.coast, coast.begin());
    std::ranges::copy(tables.interior, interior.begin());
    std::ranges::copy(tables.mountain, mountain.begin());
  }
  alignas(32) std::array<std::int32_t, kSampleValues> coast;
  alignas(32) std::array<std::int32_t, kSampleValues> interior;
  alignas(32) std::array<std::int32_t, kSampleValues> mountain;
};

// The heights of eight samples from a widened table.
__attribute__((target("avx2"), always_inline)) inline __m256i Gather(
    const std::array<std::int32_t, kSampleValues>& table, const std::uint8_t* samples) {
  const __m256i indices =
      _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples)));
  return _mm256_i32gather_epi32(table.data(), indices, 4);
}

// 16 samples a step, where the processor has AVX2 but no byte permutes: only
// for tables whose sums always fit, so packing to 16 bits never saturates.
__attribute__((target("avx2"))) void MergeRowAvx2(const WideTables& tables, LayerRows row,
                                                  std::int16_t* merged) {
  static_assert(kBitmapSide % 16 == 0);
  for (int x = 0; x < kBitmapSide; x += 16) {
    __m256i sums[2];
    for (int half = 0; half < 2; ++half) {
      const int at = x + 8 * half;
      sums[half] = _mm256_add_epi32(_mm256_add_epi32(Gather(tables.coast, row.coast + at),
                                                     Gather(tables.interior, row.interior + at)),
                                    Gather(tables.mountain, row.mountain + at));
    }
    // Packing works within 128-bit lanes; the permute puts the quarters back
    // in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(sums[0], sums[1]), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(merged + x), packed);
  }
}
#endif

// Merges rows with the widest vector path that both the processor and the
// tables allow, chosen once for the whole merge.
class RowMerger {
 public:
  explicit RowMerger(const LayerTables& tables) : tables_(tables) {
#if defined(BRACKWYN_X86_PERMUTE)
    if (!SumsAlwaysFit(tables))
      return;
    if (HasAvx512Vbmi())
      split_.emplace(tables);
    else if (HasAvx2())
      wide_.emplace(tables);
#endif
  }

  // Merges rows [begin, end); returns the first row whose sum leaves 16 bits,
  // or end.
  int merge(const HeightLayers& layers, HeightGrid& grid, int begin, int end) const {
    for (int y = begin; y < end; ++y) {
      LayerRows row{layers.coast.row(y), layers.interior.row(y), layers.mountain.row(y)};
#if defined(BRACKWYN_X86_PERMUTE)
      if (split_) {
        MergeRowVbmi(*split_, row, grid.row(y));
        continue;
      }
      if (wide_) {
        MergeRowAvx2(*wide_, row, grid.row(y));
        continue;
      }
#endif
      if (!MergeRowPortable(tables_, row, grid.row(y)))
        return y;
    }
    return end;
  }

 private:
  const LayerTables& tables_;
#if defined(BRACKWYN_X86_PERMUTE)
  std::optional<SplitTables> split_;
  std::optional<WideTables> wide_;
#endif
};

// Each layer is scaled on the way into the grid, in one pass over the three,
// in blocks of rows split across the threads, yielding after each block.
void MergeLayers(RunContext& run, const LayerTables& tables) {
  const HeightLayers& layers = run.state.layers;
  HeightGrid& grid = run.state.heightGrid;
  const RowMerger merger(tables);
  WorkerTeam team(ThreadCount());
  for (int first = 0; first < kBitmapSide; first += kMergedRowsPerYield) {
    const int rows = std::min(kMergedRowsPerYield, kBitmapSide - first);
    std::atomic<int> lowestOverflow{kBitmapSide};
    team.forEach(rows, [&](int begin, int end) {
      int found = merger.merge(layers, grid, first + begin, first + end);
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

[[noreturn]] void ThrowHeightmapOverflow(const RunContext& run, int v, int x, int y,
                                         std::int64_t height) {
  const RunParameters& parameters = run.state.parameters;
  throw RunError(
      "Cannot use " + NameFile(kHeightmapRole, run.state.resolve(parameters.heightmapName)) +
      ": its value " + std::to_string(v) + " at pixel " + Pixel(x, kBitmapSide - 1 - y) +
      " (from the top-left corner) becomes " + std::to_string(height * kUnitsPerHeightStep) +
      " world units with black at " + std::to_string(parameters.heightmapLow) + " and white at " +
      std::to_string(parameters.heightmapHigh) + ", beyond the " +
      std::to_string(kHeightMin * kUnitsPerHeightStep) + " to " +
      std::to_string(kHeightMax * kUnitsPerHeightStep) + " units that a height can hold. Bring " +
      DescribeSetting(control::txtHeightmapLow) + " and " +
      DescribeSetting(control::txtHeightmapHigh) + " closer together.");
}

// The heightmap's samples mapped through one table into the grid, in blocks
// of rows split across the threads, yielding after each block.
void MapHeightmap(RunContext& run) {
  const RunParameters& parameters = run.state.parameters;
  const HeightLayers& layers = run.state.layers;
  std::vector<std::int64_t> exact =
      HeightmapHeights(parameters.heightmapLow, parameters.heightmapHigh, layers.heightmapMaximum);
  std::vector<std::int16_t> table(exact.size());
  std::vector<std::uint8_t> fits(exact.size());
  bool allFit = true;
  for (std::size_t v = 0; v < exact.size(); ++v) {
    fits[v] = FitsHeight(static_cast<double>(exact[v]));
    allFit = allFit && fits[v] != 0;
    table[v] = fits[v] != 0 ? static_cast<std::int16_t>(exact[v]) : 0;
  }
  const HeightmapLayer& samples = layers.heightmap;
  // From the top row of the file down, so the first pixel named is the first
  // an editor shows.
  for (int y = kBitmapSide - 1; !allFit && y >= 0; --y) {
    const std::uint16_t* row = samples.row(y);
    for (int x = 0; x < kBitmapSide; ++x) {
      if (row[x] >= fits.size() || fits[row[x]] == 0) {
        int v = row[x];
        ThrowHeightmapOverflow(run, v, x, y,
                               HeightmapHeight(parameters.heightmapLow, parameters.heightmapHigh,
                                               layers.heightmapMaximum, v));
      }
    }
  }
  HeightGrid& grid = run.state.heightGrid;
  WorkerTeam team(ThreadCount());
  for (int first = 0; first < kBitmapSide; first += kMergedRowsPerYield) {
    const int rows = std::min(kMergedRowsPerYield, kBitmapSide - first);
    team.forEach(rows, [&](int begin, int end) {
      for (int y = first + begin; y < first + end; ++y) {
        const std::uint16_t* in = samples.row(y);
        std::int16_t* out = grid.row(y);
        for (int x = 0; x < kBitmapSide; ++x)
          out[x] = table[in[x]];
      }
    });
    run.progress.YieldToUI();
  }
}

}  // namespace

const char* MergeInstructionSet() {
  return VbmiAvx2OrPortableName();
}

void ProcessElevation(RunContext& run) {
  run.progress.StartStage();
  HeightLayers& layers = run.state.layers;
  if (!layers.heightmap.empty() && !run.state.heightGrid.empty()) {
    run.progress.ShowProgress(" - Mapping heightmap");
    MapHeightmap(run);
    SetBorder(run.state.heightGrid);
    layers = HeightLayers();
    run.progress.LogStageTime("ProcessElevation");
    return;
  }
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
