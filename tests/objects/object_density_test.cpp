#include "objects/object_density.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "core/run_error.hpp"
#include "object_world.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

int Pattern(int kind, int x, int y) {
  return (kind * 37 + x * 3 + y * 11) % 256;
}

// Kind 4 shares kind 2's bitmap.
TEST(LoadObjectDensities, SamplesTheMiddleByteOfEveryKindWithCaptions) {
  testing::TestRun run;
  run.state.objectPalette = testing::PaletteOf({{"a"}, {"b"}, {"c"}, {"d"}});
  run.state.objectPalette.kinds[3].bitmapFile = testing::DensityFileName(2);
  for (int kind = 1; kind <= 3; ++kind) {
    testing::WriteDensityBitmap(run.folder / testing::DensityFileName(kind),
                                [kind](int x, int y) { return Pattern(kind, x, y); });
  }
  ObjectDensity density;
  LoadObjectDensities(run.context, density);
  ASSERT_EQ(density.kindCount(), 4);
  for (auto [x, y] : {std::pair{0, 0}, {3327, 0}, {0, 3327}, {3327, 3327}, {1234, 2345}}) {
    int highest = 0;
    for (int kind = 1; kind <= 4; ++kind) {
      const int expected = Pattern(kind == 4 ? 2 : kind, x, y);
      EXPECT_EQ(density.at(kind, x, y), expected) << kind << " " << x << " " << y;
      highest = std::max(highest, expected);
    }
    EXPECT_EQ(density.highest(x, y), highest);
  }
  EXPECT_EQ(run.frontEnd.captions,
            (std::vector<std::string>{"Brackwyn 1.3.1 - Loading objects - 25% Complete",
                                      "Brackwyn 1.3.1 - Loading objects - 50% Complete",
                                      "Brackwyn 1.3.1 - Loading objects - 75% Complete",
                                      "Brackwyn 1.3.1 - Loading objects - 100% Complete"}));
}

// Interleaving takes a different path for one layer, for up to eight and
// beyond; every layer count must put each density at its pixel.
TEST(ObjectDensity, InterleavedRowsHoldEveryLayerAtItsPixel) {
  for (int layers : {1, 2, 3, 5, 6, 8, 9, 13}) {
    std::vector<int> layerOfKind(static_cast<std::size_t>(layers));
    std::iota(layerOfKind.begin(), layerOfKind.end(), 0);
    ObjectDensity density;
    density.allocateForRows(layerOfKind);
    std::vector<std::uint8_t> row(kBitmapSide);
    for (int y = 0; y < 3; ++y) {
      for (int kind = 1; kind <= layers; ++kind) {
        for (int x = 0; x < kBitmapSide; ++x)
          row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(Pattern(kind, x, y));
        density.setRow(kind, y, row.data());
      }
    }
    density.interleaveRows(0, 3);
    int wrong = 0;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < kBitmapSide; ++x) {
        int highest = 0;
        for (int kind = 1; kind <= layers; ++kind) {
          wrong += density.at(kind, x, y) != Pattern(kind, x, y);
          highest = std::max(highest, Pattern(kind, x, y));
        }
        wrong += density.highest(x, y) != highest;
      }
    }
    EXPECT_EQ(wrong, 0) << layers << " layers";
  }
}

TEST(LoadObjectDensities, NamesAMissingOrShortBitmapAndItsKind) {
  testing::TestRun run;
  run.state.objectPalette = testing::PaletteOf({{"tree"}, {"rock"}});
  auto first = run.folder / testing::DensityFileName(1);
  testing::WriteDensityBitmap(first, [](int, int) { return 1; });
  std::filesystem::resize_file(first, kBitmapMinimumBytes);  // just long enough
  ObjectDensity density;
  auto expectError = [&](const std::string& expected) {
    try {
      LoadObjectDensities(run.context, density);
      ADD_FAILURE() << "no error";
    } catch (const RunError& error) {
      std::string message = error.what();
      EXPECT_NE(message.find(expected), std::string::npos) << message;
      EXPECT_NE(message.find(testing::DensityFileName(2)), std::string::npos) << message;
    }
  };
  expectError("object kind 2 (\"rock\")");
  auto second = run.folder / testing::DensityFileName(2);
  std::filesystem::copy_file(first, second);
  std::filesystem::resize_file(second, kBitmapMinimumBytes - 1);
  expectError("33226805");
}

}  // namespace
}  // namespace brackwyn
