#include "land/cell_colors.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "land/vertex_color_palette.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

class CreateVCLRTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreatePalette(run.context);
    run.window.setText("txtTimes", "");
    run.state.heightGrid.allocate();
  }

  VertexColor ColorAt(int cell, int dx, int dy) const {
    const std::uint8_t* bytes = run.state.cellColors.cell(cell) + 3 * (dy * 65 + dx);
    return {bytes[0], bytes[1], bytes[2]};
  }

  testing::TestRun run;
};

TEST_F(CreateVCLRTest, UncheckedLeavesEveryVertexWhiteAndLogsNothing) {
  run.window.setState("chkCreateVCLR", 0);
  std::ranges::fill(run.state.heightGrid.values(), -100);
  CreateVCLR(run.context);
  const auto& bytes = run.state.cellColors.bytes;
  ASSERT_EQ(bytes.size(), std::size_t{kCellCount} * kCellColorBytes);
  EXPECT_TRUE(std::ranges::all_of(bytes, [](std::uint8_t b) { return b == 255; }));
  EXPECT_TRUE(run.window.text("txtTimes").empty());
  EXPECT_TRUE(run.frontEnd.captions.empty());
}

TEST_F(CreateVCLRTest, ColoursEachVertexOfEachCellByItsHeight) {
  HeightGrid& grid = run.state.heightGrid;
  std::ranges::fill(grid.values(), 11);
  grid.at(0, 0) = -5;                       // cell 0, vertex 0
  grid.at(64 * 3 + 2, 64) = 8;              // cell (3, 1), dx 2, dy 0; also cell (3, 0) at dy 64
  grid.at(3328, 3328) = -256;               // the last vertex of the last cell
  grid.at(100, 70) = -300;                  // below the table: the deepest colour
  run.window.setState("chkCreateVCLR", 2);  // grayed counts as checked
  CreateVCLR(run.context);

  const VertexColor white = {255, 255, 255};
  EXPECT_EQ(ColorAt(0, 0, 0), (VertexColor{179, 176, 162}));
  EXPECT_EQ(ColorAt(0, 1, 0), white);
  EXPECT_EQ(ColorAt(3 + 52, 2, 0), (VertexColor{246, 245, 243}));
  EXPECT_EQ(ColorAt(3, 2, 64), (VertexColor{246, 245, 243}));
  EXPECT_EQ(ColorAt(kCellCount - 1, 64, 64), (VertexColor{24, 90, 145}));
  EXPECT_EQ(ColorAt(1 + 52, 100 - 64, 70 - 64), (VertexColor{24, 90, 145}));
  EXPECT_EQ(run.window.text("txtTimes"), "CreateVCLR - 0:0:0\r\n");
  ASSERT_EQ(run.frontEnd.captions.size(), std::size_t{kCellsPerSide});
  EXPECT_EQ(run.frontEnd.captions[51], "Brackwyn 1.3.1 - Calculating vertex colors - 98% Complete");
}

TEST(ColorOfHeight, AboveTheTopIsWhiteAndBelowTheBottomTakesTheDeepestRow) {
  VertexColorPalette palette{};
  palette[0] = {1, 2, 3};
  palette[kPaletteRows - 1] = {4.5f, 5.5f, 6.5f};
  EXPECT_EQ(ColorOfHeight(palette, 11), (VertexColor{255, 255, 255}));
  EXPECT_EQ(ColorOfHeight(palette, 32767), (VertexColor{255, 255, 255}));
  EXPECT_EQ(ColorOfHeight(palette, 10), (VertexColor{1, 2, 3}));
  EXPECT_EQ(ColorOfHeight(palette, -256), (VertexColor{4, 6, 6}));
  EXPECT_EQ(ColorOfHeight(palette, -32768), (VertexColor{4, 6, 6}));
}

}  // namespace
}  // namespace brackwyn
