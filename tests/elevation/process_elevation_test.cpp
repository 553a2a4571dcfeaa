#include "elevation/process_elevation.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/run_error.hpp"
#include "elevation/height_scaling.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

TEST(CoastHeight, MapsTheSeaFloorAndBeachAroundAMissingZero) {
  const std::pair<int, int> telling[] = {{0, -256}, {1, -255},   {3, -253}, {4, -251},
                                         {7, -248}, {112, -128}, {222, -2}, {223, -1},
                                         {224, 1},  {225, 2},    {255, 32}};
  for (auto [sample, height] : telling)
    EXPECT_EQ(CoastHeight(sample), height) << "sample " << sample;
  SampleTable table = CoastTable();
  EXPECT_EQ(std::count(table.begin(), table.end(), 0), 0);
  EXPECT_TRUE(std::is_sorted(table.begin(), table.end()));
}

TEST(ScaledHeight, DividesTheScaleFirstAndRoundsHalvesToEven) {
  // A range of 1020 world units is 127.5 steps: the factor is exactly 0.5.
  EXPECT_EQ(ScaledHeight(127.5f, 1), 0);
  EXPECT_EQ(ScaledHeight(127.5f, 3), 2);
  EXPECT_EQ(ScaledHeight(127.5f, 5), 2);
  EXPECT_EQ(ScaledHeight(127.5f, 255), 128);
  EXPECT_EQ(ScaledHeight(125.0f, 128), 63);
  EXPECT_EQ(ScaledHeight(1000.0f, 128), 502);
  EXPECT_EQ(ScaledHeight(125.0f, 255), 125);
  EXPECT_EQ(ScaledHeight(-125.0f, 255), -125);
}

class ProcessElevationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run.state.parameters.interiorScale = 125.0f;
    run.state.parameters.mountainScale = 1000.0f;
    HeightLayers& layers = run.state.layers;
    for (HeightLayer* layer : {&layers.coast, &layers.interior, &layers.mountain})
      layer->allocate();
    run.state.heightGrid.allocate();
  }

  void Fill(int coast, int interior, int mountain) {
    HeightLayers& layers = run.state.layers;
    std::ranges::fill(layers.coast.values(), coast);
    std::ranges::fill(layers.interior.values(), interior);
    std::ranges::fill(layers.mountain.values(), mountain);
  }

  bool BorderIsSeaFloor() const {
    const HeightGrid& grid = run.state.heightGrid;
    for (int i = 0; i < kHeightGridSide; ++i) {
      if (grid.at(i, kBitmapSide) != -256 || grid.at(kBitmapSide, i) != -256)
        return false;
    }
    return true;
  }

  // Every grid point of the bitmap area holds `height`.
  bool InsideIs(int height) const {
    for (int y = 0; y < kBitmapSide; ++y) {
      const std::int16_t* row = run.state.heightGrid.row(y);
      if (!std::all_of(row, row + kBitmapSide, [height](std::int16_t h) { return h == height; }))
        return false;
    }
    return true;
  }

  testing::TestRun run;
};

struct UniformCase {
  int coast, interior, mountain;
  int expected;
};

class ProcessElevationUniformTest : public ProcessElevationTest,
                                    public ::testing::WithParamInterface<UniformCase> {};

TEST_P(ProcessElevationUniformTest, SumsTheScaledLayersInsideASeaFloorBorder) {
  const UniformCase& c = GetParam();
  Fill(c.coast, c.interior, c.mountain);
  ProcessElevation(run.context);
  EXPECT_TRUE(InsideIs(c.expected));
  EXPECT_TRUE(BorderIsSeaFloor());
}

INSTANTIATE_TEST_SUITE_P(Samples, ProcessElevationUniformTest,
                         ::testing::Values(UniformCase{0, 0, 0, -256}, UniformCase{224, 0, 0, 1},
                                           UniformCase{223, 0, 0, -1},
                                           UniformCase{255, 255, 255, 1157},
                                           UniformCase{112, 128, 128, -128 + 63 + 502}));

TEST_F(ProcessElevationTest, KeepsEachPixelInPlaceShowsFourCaptionsAndReleasesTheLayers) {
  Fill(0, 0, 0);
  run.state.layers.coast.at(3327, 0) = 255;
  run.state.layers.interior.at(0, 3327) = 255;
  run.state.layers.mountain.at(17, 42) = 128;
  ProcessElevation(run.context);

  const HeightGrid& grid = run.state.heightGrid;
  EXPECT_EQ(grid.at(3327, 0), 32);
  EXPECT_EQ(grid.at(0, 3327), -256 + 125);
  EXPECT_EQ(grid.at(17, 42), -256 + 502);
  EXPECT_EQ(grid.at(42, 17), -256);
  EXPECT_EQ(grid.at(3328, 3328), -256);

  EXPECT_EQ(run.frontEnd.captions, (std::vector<std::string>{
                                       "Brackwyn 1.3.1 - Scaling coast heights",
                                       "Brackwyn 1.3.1 - Scaling interior heights",
                                       "Brackwyn 1.3.1 - Scaling mountain heights",
                                       "Brackwyn 1.3.1 - Merging heights",
                                   }));
  EXPECT_EQ(run.frontEnd.eventCalls,
            3 + (kBitmapSide + kMergedRowsPerYield - 1) / kMergedRowsPerYield);
  EXPECT_EQ(run.window.text("txtTimes"), "ProcessElevation - 0:0:0\r\n");
  EXPECT_TRUE(run.state.layers.coast.empty());
  EXPECT_TRUE(run.state.layers.interior.empty());
  EXPECT_TRUE(run.state.layers.mountain.empty());
}

// Every sample value of every layer, mixed so that neighbouring pixels differ,
// with a falling range: what the vector paths must merge exactly as the
// portable one does.
TEST_F(ProcessElevationTest, EveryPixelIsTheSumOfItsThreeScaledSamples) {
  run.state.parameters.interiorScale = -125.0f;
  auto sample = [](int x, int y, int layer) {
    return static_cast<std::uint8_t>((x * 37 + y * 11 + layer * 101 + (x * y >> 3)) & 0xFF);
  };
  HeightLayers& layers = run.state.layers;
  for (int y = 0; y < kBitmapSide; ++y) {
    for (int x = 0; x < kBitmapSide; ++x) {
      layers.coast.at(x, y) = sample(x, y, 0);
      layers.interior.at(x, y) = sample(x, y, 1);
      layers.mountain.at(x, y) = sample(x, y, 2);
    }
  }
  ProcessElevation(run.context);
  int wrong = 0;
  for (int y = 0; y < kBitmapSide && wrong < 5; ++y) {
    for (int x = 0; x < kBitmapSide && wrong < 5; ++x) {
      const double expected = CoastHeight(sample(x, y, 0)) +
                              ScaledHeight(-125.0f, sample(x, y, 1)) +
                              ScaledHeight(1000.0f, sample(x, y, 2));
      if (run.state.heightGrid.at(x, y) != expected) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
        ++wrong;
      }
    }
  }
  EXPECT_TRUE(BorderIsSeaFloor());
}

TEST_F(ProcessElevationTest, AScaleTooLargeOnlyForUnusedSamplesIsAccepted) {
  // 40000 steps overflow 16 bits from sample 209 up; this bitmap stops at 200.
  run.state.parameters.mountainScale = 40000.0f;
  run.state.parameters.interiorScale = 0.0f;
  Fill(0, 0, 200);
  ProcessElevation(run.context);
  EXPECT_TRUE(InsideIs(-256 + 31373));
}

struct OverflowCase {
  const char* name;
  float interiorScale, mountainScale;
  int coast, interior, mountain;
  std::vector<const char*> expectedSettings;
  const char* expectedText;
};

class ProcessElevationOverflowTest : public ProcessElevationTest,
                                     public ::testing::WithParamInterface<OverflowCase> {};

TEST_P(ProcessElevationOverflowTest, NamesTheScalesInsteadOfWrapping) {
  const OverflowCase& c = GetParam();
  run.state.parameters.interiorScale = c.interiorScale;
  run.state.parameters.mountainScale = c.mountainScale;
  Fill(c.coast, c.interior, c.mountain);
  run.state.layers.interior.at(5, 3) = static_cast<std::int16_t>(c.interior + 1);
  try {
    ProcessElevation(run.context);
    FAIL() << "no error";
  } catch (const RunError& error) {
    std::string message = error.what();
    for (const char* setting : c.expectedSettings)
      EXPECT_NE(message.find(std::string("(") + setting + ")"), std::string::npos) << message;
    EXPECT_NE(message.find(c.expectedText), std::string::npos) << message;
  }
  EXPECT_TRUE(run.window.text("txtTimes").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ProcessElevationOverflowTest,
    ::testing::Values(
        // 40000 steps overflow from sample 209: only the one raised at (5, 3).
        OverflowCase{"Interior", 40000, 0, 0, 208, 0, {"txtScaleInterior"}, "pixel (5, 3)"},
        OverflowCase{"Mountain", 0, -40000, 0, 0, 255, {"txtScaleMountain"}, "-40000 height steps"},
        OverflowCase{"MergedHigh",
                     20000,
                     20000,
                     255,
                     200,
                     255,
                     {"txtScaleInterior", "txtScaleMountain"},
                     "at most 261880 world units"},
        OverflowCase{"MergedLow",
                     -20000,
                     -20000,
                     0,
                     200,
                     255,
                     {"txtScaleInterior", "txtScaleMountain"},
                     "at least -260096 world units"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn
