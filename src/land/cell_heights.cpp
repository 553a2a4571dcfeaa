#include "land/cell_heights.hpp"
#include "core/parallel_for.hpp"
#include "core/processor_features.hpp"
#include "core/thread_count.hpp"
#include "model/control_names.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define BRACKWYN_X86_SATURATE 1
#endif

namespace brackwyn {
namespace {

constexpr int kStepMin = -128;
constexpr int kStepMax = 127;

// Unclipped steps in vertex order. The differences are taken in 32 bits:
// two 16-bit heights can differ by more than 16 bits hold, and such a step
// must clip like any other steep one.
using CellSteps = std::array<int, kVerticesPerCell>;

void ComputeSteps(const HeightGrid& grid, int x0, int y0, CellSteps& steps) {
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
    const std::int16_t* row = grid.row(y0 + dy) + x0;
    int* out = steps.data() + dy * kVerticesPerCellSide;
    // The left column steps up from the row below; the bottom-left vertex is the base.
    out[0] = dy == 0 ? 0 : row[0] - grid.at(x0, y0 + dy - 1);
    for (int dx = 1; dx < kVerticesPerCellSide; ++dx)
      out[dx] = row[dx] - row[dx - 1];
  }
}

// Two's complement bytes of the clipped steps; true when any step was clipped.
bool EncodeSteps(const CellSteps& steps, std::uint8_t* bytes) {
  bool clipped = false;
  for (int v = 0; v < kVerticesPerCell; ++v) {
    int step = std::clamp(steps[v], kStepMin, kStepMax);
    clipped |= step != steps[v];
    bytes[v] = static_cast<std::uint8_t>(step);
  }
  return clipped;
}

// A cell's step bytes straight from the grid; true when any step was clipped.
bool EncodeCellPortable(const HeightGrid& grid, int x0, int y0, std::uint8_t* bytes) {
  CellSteps steps;
  ComputeSteps(grid, x0, y0, steps);
  return EncodeSteps(steps, bytes);
}

#if defined(BRACKWYN_X86_SATURATE)
static_assert(kVerticesPerCellSide == 65);

__attribute__((target("avx2"), always_inline)) inline __m256i Load16(const std::int16_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// A row's left step as the portable path takes it, the other 64 sixteen at a
// time. Differences saturate at 16 bits, then at 8 as they are packed: a step
// too steep for either keeps its sign and clips as the portable clamp does.
__attribute__((target("avx2"))) bool EncodeCellAvx2(const HeightGrid& grid, int x0, int y0,
                                                    std::uint8_t* bytes) {
  const __m256i highest = _mm256_set1_epi16(kStepMax);
  const __m256i lowest = _mm256_set1_epi16(kStepMin);
  __m256i outside = _mm256_setzero_si256();
  bool leftClipped = false;
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy, bytes += kVerticesPerCellSide) {
    const std::int16_t* row = grid.row(y0 + dy) + x0;
    int left = dy == 0 ? 0 : row[0] - grid.at(x0, y0 + dy - 1);
    int leftStep = std::clamp(left, kStepMin, kStepMax);
    leftClipped |= leftStep != left;
    bytes[0] = static_cast<std::uint8_t>(leftStep);
    for (int dx = 1; dx < kVerticesPerCellSide; dx += 32) {
      __m256i first = _mm256_subs_epi16(Load16(row + dx), Load16(row + dx - 1));
      __m256i second = _mm256_subs_epi16(Load16(row + dx + 16), Load16(row + dx + 15));
      outside = _mm256_or_si256(outside, _mm256_or_si256(_mm256_cmpgt_epi16(first, highest),
                                                         _mm256_cmpgt_epi16(lowest, first)));
      outside = _mm256_or_si256(outside, _mm256_or_si256(_mm256_cmpgt_epi16(second, highest),
                                                         _mm256_cmpgt_epi16(lowest, second)));
      // Packing interleaves the halves' 128-bit lanes; the permute restores order.
      __m256i steps = _mm256_permute4x64_epi64(_mm256_packs_epi16(first, second), 0b11011000);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes + dx), steps);
    }
  }
  return leftClipped || !_mm256_testz_si256(outside, outside);
}
#endif

using EncodeCellFunction = bool (*)(const HeightGrid&, int, int, std::uint8_t*);

EncodeCellFunction ChooseEncodeCell() {
#if defined(BRACKWYN_X86_SATURATE)
  if (HasAvx2())
    return EncodeCellAvx2;
#endif
  return EncodeCellPortable;
}

// One line per clipped vertex, in vertex order, with absolute grid
// coordinates so the user can find the pixel in the bitmaps.
void ReportClippedSteps(RunContext& run, const CellSteps& steps, int x0, int y0) {
  for (int v = 0; v < kVerticesPerCell; ++v) {
    if (steps[v] >= kStepMin && steps[v] <= kStepMax)
      continue;
    int x = x0 + v % kVerticesPerCellSide;
    int y = y0 + v / kVerticesPerCellSide;
    run.state.clippedVertices.push_back({x, y});
    run.window.appendText(control::txtLog,
                          "x: " + std::to_string(x) + " y: " + std::to_string(y) + "\r\n");
    run.progress.YieldToUI();
  }
}

}  // namespace

std::string CellRowProgressText(std::string_view what, int y0) {
  auto percent = static_cast<int>(y0 / 3327.0 * 100.0);
  return " - Calculating vertex " + std::string(what) + " - " + std::to_string(percent) +
         "% Complete";
}

const char* HeightStepInstructionSet() {
  return ChooseEncodeCell() == EncodeCellPortable ? "portable C++" : "AVX2";
}

void CreateVHGT(RunContext& run) {
  run.progress.StartStage();
  const HeightGrid& grid = run.state.heightGrid;
  if (grid.empty())
    throw std::logic_error("CreateVHGT needs the HeightGrid of ProcessElevation");
  CellHeights& cells = run.state.cellHeights;
  cells.baseHeight.assign(kCellCount, 0.0f);
  cells.heightSteps.clear();
  cells.heightSteps.resize(std::size_t{kCellCount} * kVerticesPerCell);  // every step is set below
  run.state.clippedVertices.clear();

  static const EncodeCellFunction encodeCell = ChooseEncodeCell();
  WorkerTeam team(ThreadCount());
  std::array<bool, kCellsPerSide> clipped;
  for (int r = 0; r < kCellsPerSide; ++r) {
    int y0 = r * kQuadsPerCellSide;
    team.forEach(kCellsPerSide, [&](int begin, int end) {
      for (int c = begin; c < end; ++c) {
        int x0 = c * kQuadsPerCellSide;
        int cell = r * kCellsPerSide + c;
        cells.baseHeight[cell] = grid.at(x0, y0);
        std::uint8_t* bytes = cells.heightSteps.data() + std::size_t{kVerticesPerCell} * cell;
        clipped[c] = encodeCell(grid, x0, y0, bytes);
      }
    });
    // Reports yield, so they stay on this thread, in cell order; clipping is
    // rare enough that its cells' steps are simply computed again.
    for (int c = 0; c < kCellsPerSide; ++c) {
      if (!clipped[c])
        continue;
      CellSteps steps;
      ComputeSteps(grid, c * kQuadsPerCellSide, y0, steps);
      ReportClippedSteps(run, steps, c * kQuadsPerCellSide, y0);
    }
    run.progress.ShowProgress(CellRowProgressText("heights", y0));
    run.progress.YieldToUI();
  }
  run.progress.LogStageTime("CreateVHGT");
}

}  // namespace brackwyn
