#include "land/cell_heights.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "support/test_support.hpp"

namespace brackwyn {
namespace {

int CellIndex(int column, int row) {
  return row * kCellsPerSide + column;
}

std::int8_t Step(const CellHeights& cells, int cell, int dx, int dy) {
  return static_cast<std::int8_t>(cells.steps(cell)[dy * kVerticesPerCellSide + dx]);
}

std::size_t CountLines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class CreateVHGTTest : public ::testing::Test {
 protected:
  void SetUp() override { grid().allocate(); }

  HeightGrid& grid() { return run.state.heightGrid; }
  const CellHeights& cells() const { return run.state.cellHeights; }
  const std::string& log() const { return run.window.text("txtLog"); }

  // What the game does with a cell: base plus the summed steps.
  int Decode(int cell, int dx, int dy) const {
    int height = static_cast<int>(cells().baseHeight[cell]);
    for (int k = 1; k <= dy; ++k)
      height += Step(cells(), cell, 0, k);
    for (int k = 1; k <= dx; ++k)
      height += Step(cells(), cell, k, dy);
    return height;
  }

  testing::TestRun run;
};

TEST_F(CreateVHGTTest, AFlatWorldHasItsHeightAsBaseAndNoSteps) {
  std::ranges::fill(grid().values(), 37);
  CreateVHGT(run.context);
  ASSERT_EQ(cells().baseHeight.size(), std::size_t{kCellCount});
  ASSERT_EQ(cells().heightSteps.size(), std::size_t{kCellCount} * kVerticesPerCell);
  EXPECT_TRUE(std::ranges::all_of(cells().baseHeight, [](float h) { return h == 37.0f; }));
  EXPECT_TRUE(std::ranges::all_of(cells().heightSteps, [](std::uint8_t s) { return s == 0; }));
  EXPECT_TRUE(log().empty());
  EXPECT_EQ(run.window.text("txtTimes"), "CreateVHGT - 0:0:0\r\n");
}

TEST_F(CreateVHGTTest, StepsGoUpTheLeftColumnAndAlongEachRow) {
  // Cell (1, 2) has its bottom-left vertex at (64, 128).
  grid().at(64, 128) = 5;
  grid().at(65, 128) = 3;
  grid().at(66, 128) = 3;
  grid().at(64, 129) = 7;
  grid().at(0, 0) = -256;
  CreateVHGT(run.context);

  int cell = CellIndex(1, 2);
  EXPECT_EQ(cells().baseHeight[cell], 5.0f);
  const std::uint8_t* steps = cells().steps(cell);
  EXPECT_EQ(steps[0], 0);
  EXPECT_EQ(steps[1], 254);
  EXPECT_EQ(steps[2], 0);
  EXPECT_EQ(steps[65], 2);
  // The neighbour below shares row 128 as its top row, reached from the left column.
  EXPECT_EQ(Step(cells(), CellIndex(1, 1), 0, 64), 5);

  std::uint8_t baseBytes[4];
  std::memcpy(baseBytes, &cells().baseHeight[0], 4);
  EXPECT_EQ(std::vector<std::uint8_t>(baseBytes, baseBytes + 4),
            (std::vector<std::uint8_t>{0x00, 0x00, 0x80, 0xC3}));
  EXPECT_EQ(cells().steps(0)[0], 0);  // the first step is 0 whatever the heights
}

TEST_F(CreateVHGTTest, ClipsStepsBeyondEightBitsAndReportsEachVertexInOrder) {
  // Bottom row of cell 0 gives the steps -128, 127, -129, 128, -1.
  const int row[] = {0, -128, -1, -130, -2, -3, 0};
  for (int x = 0; x < 7; ++x)
    grid().at(x, 0) = static_cast<std::int16_t>(row[x]);
  // A spike in the left column: up and down the column, and along its row.
  grid().at(0, 10) = 200;
  run.window.setText("txtLog", "earlier\r\n");
  CreateVHGT(run.context);

  const std::uint8_t expected[] = {0, 128, 127, 128, 127, 255, 3};
  EXPECT_TRUE(std::equal(expected, expected + 7, cells().steps(0)));
  EXPECT_EQ(log(),
            "earlier\r\n"
            "x: 3 y: 0\r\nx: 4 y: 0\r\n"
            "x: 0 y: 10\r\nx: 1 y: 10\r\nx: 0 y: 11\r\n");
  // Clipped steps are not made up for: the rest of the row stays offset.
  EXPECT_EQ(Decode(0, 6, 0), 0 - 1 + 1);
}

TEST_F(CreateVHGTTest, StepsBeyondSixteenBitsClipToTheirSign) {
  // Cell (1, 0): differences of up to 65535, early and late in the row.
  const std::pair<int, int> heights[] = {{1, 32767}, {2, -32768}, {47, -32768}, {48, 32767}};
  for (auto [dx, height] : heights)
    grid().at(64 + dx, 0) = static_cast<std::int16_t>(height);
  CreateVHGT(run.context);

  const std::pair<int, int> steps[] = {{1, 127},   {2, -128}, {3, 127},
                                       {47, -128}, {48, 127}, {49, -128}};
  for (auto [dx, step] : steps)
    EXPECT_EQ(Step(cells(), CellIndex(1, 0), dx, 0), step) << "dx " << dx;
  EXPECT_EQ(log(),
            "x: 65 y: 0\r\nx: 66 y: 0\r\nx: 67 y: 0\r\n"
            "x: 111 y: 0\r\nx: 112 y: 0\r\nx: 113 y: 0\r\n");
}

TEST_F(CreateVHGTTest, AVertexIsReportedByEveryCellThatHoldsItOutOfRange) {
  // (128, 200) is the left column of cell (2, 3) and the right column of cell (1, 3).
  grid().at(128, 200) = 300;
  CreateVHGT(run.context);
  EXPECT_EQ(log(),
            "x: 128 y: 200\r\n"  // cell (1, 3): horizontal step from x 127
            "x: 128 y: 200\r\nx: 129 y: 200\r\nx: 128 y: 201\r\n");
  EXPECT_EQ(static_cast<std::int8_t>(cells().steps(CellIndex(1, 3))[(200 - 192) * 65 + 64]), 127);
}

TEST_F(CreateVHGTTest, LandAtTheTopAndRightStepsDownToTheBorder) {
  std::ranges::fill(grid().values(), 0);
  for (int i = 0; i < kHeightGridSide; ++i) {
    grid().at(i, kBitmapSide) = kBorderHeight;
    grid().at(kBitmapSide, i) = kBorderHeight;
  }
  CreateVHGT(run.context);
  // Right column cells report every row but the border row itself; top row
  // cells report the left-column step onto the border.
  EXPECT_EQ(CountLines(log()), std::size_t{51 * 65 + 64 + 52});
  EXPECT_NE(log().find("x: 3328 y: 0\r\n"), std::string::npos);
  EXPECT_NE(log().find("x: 0 y: 3328\r\n"), std::string::npos);
  EXPECT_EQ(log().find("x: 3328 y: 3328\r\n"), std::string::npos);
}

// Where nothing is clipped, base + summed steps is the height grid again.
TEST_F(CreateVHGTTest, DecodingGivesTheGridBackWhereNothingWasClipped) {
  std::uint32_t random = 12345;
  for (int y = 0; y < kHeightGridSide; ++y) {
    for (int x = 0; x < kHeightGridSide; ++x) {
      random = random * 1664525u + 1013904223u;
      int wobble = static_cast<int>(random >> 26);         // 0..63
      int slope = std::abs((x * 3 + y * 5) % 1800 - 900);  // a ridge, never a cliff
      grid().at(x, y) = static_cast<std::int16_t>(slope - 450 + wobble);
    }
  }
  CreateVHGT(run.context);
  ASSERT_TRUE(log().empty());
  int mismatches = 0;
  for (int cell = 0; cell < kCellCount; cell += 7) {
    int x0 = cell % kCellsPerSide * kQuadsPerCellSide;
    int y0 = cell / kCellsPerSide * kQuadsPerCellSide;
    for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
      for (int dx = 0; dx < kVerticesPerCellSide; ++dx)
        mismatches += Decode(cell, dx, dy) != grid().at(x0 + dx, y0 + dy);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(CreateVHGTTest, ShowsTheShareOfCellRowsDoneAfterEachRow) {
  CreateVHGT(run.context);
  const auto& captions = run.frontEnd.captions;
  ASSERT_EQ(captions.size(), std::size_t{kCellsPerSide});
  EXPECT_EQ(captions[0], "Brackwyn 1.3.1 - Calculating vertex heights - 0% Complete");
  EXPECT_EQ(captions[1], "Brackwyn 1.3.1 - Calculating vertex heights - 1% Complete");
  EXPECT_EQ(captions[2], "Brackwyn 1.3.1 - Calculating vertex heights - 3% Complete");
  EXPECT_EQ(captions[51], "Brackwyn 1.3.1 - Calculating vertex heights - 98% Complete");
  EXPECT_EQ(run.frontEnd.eventCalls, kCellsPerSide);
}

}  // namespace
}  // namespace brackwyn
