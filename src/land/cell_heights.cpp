#include "land/cell_heights.hpp"
#include "core/parallel_for.hpp"
#include "core/thread_count.hpp"
#include "model/control_names.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

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

  WorkerTeam team(ThreadCount());
  std::array<bool, kCellsPerSide> clipped;
  for (int r = 0; r < kCellsPerSide; ++r) {
    int y0 = r * kQuadsPerCellSide;
    team.forEach(kCellsPerSide, [&](int begin, int end) {
      CellSteps steps;
      for (int c = begin; c < end; ++c) {
        int x0 = c * kQuadsPerCellSide;
        int cell = r * kCellsPerSide + c;
        cells.baseHeight[cell] = grid.at(x0, y0);
        ComputeSteps(grid, x0, y0, steps);
        std::uint8_t* bytes = cells.heightSteps.data() + std::size_t{kVerticesPerCell} * cell;
        clipped[c] = EncodeSteps(steps, bytes);
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
