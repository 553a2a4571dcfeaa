#include "land/cell_normals.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "land/cell_heights.hpp"
#include "land/decoded_heights.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

constexpr int kSide = kVerticesPerCellSide;
constexpr int kLast = kSide - 1;
using Cell = std::array<float, kVerticesPerCell>;
using Normals = std::array<std::uint8_t, kVertexNormalBytes>;

std::array<int, 3> NormalAt(const std::uint8_t* normals, int i, int j) {
  const std::uint8_t* n = normals + 3 * (j * kSide + i);
  return {static_cast<std::int8_t>(n[0]), static_cast<std::int8_t>(n[1]),
          static_cast<std::int8_t>(n[2])};
}

// Heights in game units of the cell `column` east and `row` north of the
// origin cell, on a plane rising `east` units a vertex eastwards and `north`
// northwards.
Cell Plane(float east, float north, int column, int row) {
  Cell heights;
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kSide; ++i)
      heights[j * kSide + i] = east * (i + kLast * column) + north * (j + kLast * row);
  }
  return heights;
}

struct PlaneCase {
  const char* label;
  float east;
  float north;
  bool neighbours;  // false: the cell lies in the top-right corner of the world

  friend void PrintTo(const PlaneCase& plane, std::ostream* out) { *out << plane.label; }
};

class PlaneNormals : public ::testing::TestWithParam<PlaneCase> {};

// x east, y north, z up: ground rising eastwards tilts the normal west.
TEST_P(PlaneNormals, AreTheAnalyticNormalWithinOne) {
  const PlaneCase& plane = GetParam();
  Cell heights = Plane(plane.east, plane.north, 0, 0);
  Cell east = Plane(plane.east, plane.north, 1, 0);
  Cell north = Plane(plane.east, plane.north, 0, 1);
  Normals normals;
  ComputeVertexNormals(heights.data(), plane.neighbours ? east.data() : nullptr,
                       plane.neighbours ? north.data() : nullptr, normals.data());
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kSide; ++i) {
      // Past the world's edge the difference is 0.
      double dx = i < kLast || plane.neighbours ? plane.east : 0;
      double dy = j < kLast || plane.neighbours ? plane.north : 0;
      double length = std::sqrt(dx * dx + dy * dy + 128.0 * 128.0);
      std::array<double, 3> expected = {-127 * dx / length, -127 * dy / length, 127 * 128 / length};
      std::array<int, 3> actual = NormalAt(normals.data(), i, j);
      for (int k = 0; k < 3; ++k)
        ASSERT_NEAR(actual[k], expected[k], 1.0) << "vertex " << i << ", " << j << " axis " << k;
      if (dx == 0 && dy == 0) {
        ASSERT_EQ(actual, (std::array<int, 3>{0, 0, 127})) << "vertex " << i << ", " << j;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Planes, PlaneNormals,
                         ::testing::Values(PlaneCase{"Flat", 0, 0, true},
                                           PlaneCase{"RisingEast", 64, 0, true},
                                           PlaneCase{"FallingEast", -1016, 0, true},
                                           PlaneCase{"RisingNorth", 0, 200, true},
                                           PlaneCase{"FallingNorth", 0, -24, true},
                                           PlaneCase{"Diagonal", 300, -100, true},
                                           PlaneCase{"CornerOfTheWorld", 96, 40, false}),
                         [](const auto& info) { return info.param.label; });

class WorldNormals : public ::testing::Test {
 protected:
  void SetUp() override { grid().allocate(); }
  HeightGrid& grid() { return run.state.heightGrid; }

  // Cuts the grid into cells as the run does.
  const CellHeights& Cells() {
    CreateVHGT(run.context);
    return run.state.cellHeights;
  }

  testing::TestRun run;
};

Cell Decoded(const CellHeights& cells, int cell) {
  Cell heights;
  DecodeCellHeightsInUnits(cells, cell, heights.data());
  return heights;
}

// Rolling hills with a cliff too steep for one step: the cell holding it
// decodes the rest of those rows lower than its eastern neighbour does.
TEST_F(WorldNormals, NeighboursAgreeOnTheirSharedEdgeWhereTheyDecodeItAlike) {
  for (int y = 0; y < kBitmapSide; ++y) {
    for (int x = 0; x < kBitmapSide; ++x) {
      double hills = 40 * std::sin(x / 37.0) + 30 * std::cos(y / 23.0);
      grid().at(x, y) = static_cast<std::int16_t>(std::lround(hills) + (x >= 1000 ? 300 : 0));
    }
  }
  const CellHeights& cells = Cells();
  CellNormalsCalculator calculator(cells);
  std::vector<Normals> all(kCellCount);
  for (int cell = 0; cell < kCellCount; ++cell)
    all[cell] = calculator.compute(cell).normals;

  int compared = 0, skipped = 0;
  auto check = [&](int a, int ai, int aj, int b, int bi, int bj, bool same) {
    if (!same) {
      ++skipped;
      return;
    }
    ++compared;
    EXPECT_EQ(NormalAt(all[a].data(), ai, aj), NormalAt(all[b].data(), bi, bj))
        << "cells " << a << " and " << b << " at " << ai << ", " << aj;
  };
  for (int cell = 0; cell < kCellCount; ++cell) {
    Cell here = Decoded(cells, cell);
    int column = cell % kCellsPerSide, row = cell / kCellsPerSide;
    if (column + 1 < kCellsPerSide) {
      Cell east = Decoded(cells, cell + 1);
      for (int j = 0; j < kLast; ++j) {
        bool same = here[j * kSide + kLast] == east[j * kSide] &&
                    here[(j + 1) * kSide + kLast] == east[(j + 1) * kSide];
        check(cell, kLast, j, cell + 1, 0, j, same);
      }
    }
    if (row + 1 < kCellsPerSide) {
      Cell north = Decoded(cells, cell + kCellsPerSide);
      for (int i = 0; i < kLast; ++i) {
        bool same =
            here[kLast * kSide + i] == north[i] && here[kLast * kSide + i + 1] == north[i + 1];
        check(cell, i, kLast, cell + kCellsPerSide, i, 0, same);
      }
    }
  }
  EXPECT_GT(compared, 250'000);
  EXPECT_GT(skipped, 0);  // the cliff was clipped
}

// Heights in steps of 8 units poked into a flat world at the nine-by-nine
// samples of one cell, and whole worlds beyond the byte's range.
TEST_F(WorldNormals, MapHeightsAreTheDecodedHeightOver128RoundedDownAndClamped) {
  struct Sample {
    int c, r;
    std::int16_t steps;
    int expected;
  };
  const Sample samples[] = {{0, 0, -1, -1},  {1, 0, 1, 0},    {2, 0, 15, 0},  {3, 0, 16, 1},
                            {4, 0, -16, -1}, {5, 0, -17, -2}, {8, 0, 127, 7}, {0, 8, -127, -8},
                            {8, 8, 100, 6},  {3, 5, 2, 0}};
  const int column = 10, row = 20, cell = row * kCellsPerSide + column;
  for (const Sample& s : samples)
    grid().at(column * kLast + 8 * s.c, row * kLast + 8 * s.r) = s.steps;
  CellNormalsCalculator calculator(Cells());
  std::array<int, kWorldMapHeightBytes> expected{};
  for (const Sample& s : samples)
    expected[9 * s.r + s.c] = s.expected;
  const auto& bytes = calculator.compute(cell).mapHeights;
  for (std::size_t k = 0; k < kWorldMapHeightBytes; ++k)
    EXPECT_EQ(static_cast<std::int8_t>(bytes[k]), expected[k]) << "byte " << k;

  for (auto [steps, level] : {std::pair<std::int16_t, int>{4000, 127}, {-4000, -128}}) {
    std::ranges::fill(grid().values(), steps);
    CellNormalsCalculator flat(Cells());
    for (std::uint8_t byte : flat.compute(cell).mapHeights)
      ASSERT_EQ(static_cast<std::int8_t>(byte), level) << steps;
  }
}

}  // namespace
}  // namespace brackwyn
