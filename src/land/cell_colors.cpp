#include "land/cell_colors.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/number_text.hpp"
#include "core/parallel_for.hpp"
#include "core/thread_count.hpp"
#include "land/cell_heights.hpp"
#include "model/control_names.hpp"

namespace brackwyn {
namespace {

constexpr VertexColor kWhite = {255, 255, 255};

std::uint8_t ComponentByte(float value) {
  // The palette holds 0..255 only; the clamp guards a table never built.
  return static_cast<std::uint8_t>(std::clamp(RoundHalfEven(value), 0.0, 255.0));
}

// Entry 0 is white (above the palette), entry i + 1 palette row i, so a
// vertex needs one clamp and one look-up. Entries are padded to four bytes so
// that a vertex is one four-byte store; its fourth byte lands on the next
// vertex, which overwrites it.
class HeightColorTable {
 public:
  explicit HeightColorTable(const VertexColorPalette& palette) {
    colors_[0] = Padded(kWhite);
    for (int row = 0; row < kPaletteRows; ++row) {
      VertexColor color;
      for (int c = 0; c < 3; ++c)
        color[c] = ComponentByte(palette[row][c]);
      colors_[row + 1] = Padded(color);
    }
  }

  VertexColor operator[](int height) const {
    VertexColor color;
    std::memcpy(color.data(), &entry(height), 3);
    return color;
  }

  const std::uint32_t& entry(int height) const {
    return colors_[std::clamp(kPaletteTopHeight - height, -1, kPaletteRows - 1) + 1];
  }

 private:
  static std::uint32_t Padded(const VertexColor& color) {
    std::uint32_t entry = 0;
    std::memcpy(&entry, color.data(), 3);
    return entry;
  }

  std::array<std::uint32_t, kPaletteRows + 1> colors_;
};

void ColorCell(const HeightGrid& grid, const HeightColorTable& table, int x0, int y0,
               std::uint8_t* bytes) {
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
    const std::int16_t* heights = grid.row(y0 + dy) + x0;
    for (int dx = 0; dx + 1 < kVerticesPerCellSide; ++dx, bytes += 3)
      std::memcpy(bytes, &table.entry(heights[dx]), 4);
    // The row's last vertex may end the cell: no byte past it is written.
    std::memcpy(bytes, &table.entry(heights[kVerticesPerCellSide - 1]), 3);
    bytes += 3;
  }
}

}  // namespace

VertexColor ColorOfHeight(const VertexColorPalette& palette, int height) {
  return HeightColorTable(palette)[height];
}

void CreateVCLR(RunContext& run) {
  run.progress.StartStage();
  CellColors& colors = run.state.cellColors;
  if (run.window.state(control::chkCreateVCLR) == 0) {
    colors.bytes.assign(kCellCount * kCellColorBytes, 255);
    return;
  }
  const HeightGrid& grid = run.state.heightGrid;
  if (grid.empty())
    throw std::logic_error("CreateVCLR needs the HeightGrid of ProcessElevation");
  colors.bytes.clear();
  colors.bytes.resize(kCellCount * kCellColorBytes);  // every byte is coloured below
  const HeightColorTable table(run.state.palette);
  WorkerTeam team(ThreadCount());
  for (int r = 0; r < kCellsPerSide; ++r) {
    int y0 = r * kQuadsPerCellSide;
    team.forEach(kCellsPerSide, [&](int begin, int end) {
      for (int c = begin; c < end; ++c) {
        int cell = r * kCellsPerSide + c;
        ColorCell(grid, table, c * kQuadsPerCellSide, y0,
                  colors.bytes.data() + kCellColorBytes * cell);
      }
    });
    run.progress.ShowProgress(CellRowProgressText("colors", y0));
    run.progress.YieldToUI();
  }
  run.progress.LogStageTime("CreateVCLR");
}

}  // namespace brackwyn
