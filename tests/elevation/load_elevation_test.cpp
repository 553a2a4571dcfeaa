#include "elevation/load_elevation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "core/platform.hpp"
#include "core/run_error.hpp"
#include "model/control_table.hpp"
#include "support/test_support.hpp"
#include "tools/gray_bitmap_writer.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kPixelBytes = std::size_t{kBitmapSide} * kBitmapSide * 3;

std::uint8_t Pattern(int x, int y) {
  return static_cast<std::uint8_t>(x * 7 + y * 13);
}

// A standard bitmap's bytes, gray pixels from `sample`.
template <typename SampleFn>
std::vector<std::uint8_t> GrayBitmapBytes(SampleFn sample) {
  std::vector<std::uint8_t> bytes = tools::GrayBitmapHeader();
  bytes.resize(kBitmapStandardBytes);
  std::uint8_t* pixel = bytes.data() + kBitmapHeaderBytes;
  for (int y = 0; y < kBitmapSide; ++y) {
    for (int x = 0; x < kBitmapSide; ++x, pixel += 3)
      std::fill_n(pixel, 3, sample(x, y));
  }
  return bytes;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                std::size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
  ASSERT_TRUE(file.good());
}

std::size_t PixelOffset(int x, int y) {
  return kBitmapHeaderBytes + kBitmapRowBytes * y + 3 * static_cast<std::size_t>(x);
}

class LoadElevationTest : public ::testing::Test {
 protected:
  void SetNames(const char* coast, const char* interior, const char* mountain) {
    run.state.parameters.coastBitmapName = coast;
    run.state.parameters.interiorBitmapName = interior;
    run.state.parameters.mountainBitmapName = mountain;
  }

  testing::TestRun run;
};

TEST_F(LoadElevationTest, SamplesTheGreenByteOfEveryPixelBottomRowFirst) {
  std::vector<std::uint8_t> coast = GrayBitmapBytes(Pattern);
  coast[PixelOffset(0, 0) + 1] = 7;
  coast[PixelOffset(3327, 3327) + 1] = 200;
  const std::uint8_t blueGreenRed[] = {10, 20, 30};
  std::copy_n(blueGreenRed, 3, coast.begin() + static_cast<std::ptrdiff_t>(PixelOffset(5, 9)));
  // Without its final byte the file still holds every sample.
  WriteBytes(run.folder / "coast.bmp", coast, kBitmapMinimumBytes);
  WriteBytes(run.folder / "black.bmp", GrayBitmapBytes([](int, int) { return 0; }),
             kBitmapStandardBytes);
  WriteBytes(run.folder / "white.bmp", GrayBitmapBytes([](int, int) { return 255; }),
             kBitmapStandardBytes);
  SetNames("coast.bmp", "black.bmp", "white.bmp");

  LoadElevation(run.context);

  const HeightLayers& layers = run.state.layers;
  EXPECT_EQ(layers.coast.at(0, 0), 7);
  EXPECT_EQ(layers.coast.at(3327, 3327), 200);
  EXPECT_EQ(layers.coast.at(5, 9), 20);
  int mismatches = 0;
  for (int y = 0; y < kBitmapSide; ++y) {
    for (int x = 0; x < kBitmapSide; ++x) {
      bool special = (x == 0 && y == 0) || (x == 3327 && y == 3327) || (x == 5 && y == 9);
      mismatches += !special && layers.coast.at(x, y) != Pattern(x, y);
    }
  }
  EXPECT_EQ(mismatches, 0);
  auto all = [](const auto& values, int v) {
    return std::all_of(values.begin(), values.end(), [v](std::int16_t s) { return s == v; });
  };
  EXPECT_TRUE(all(layers.interior.values(), 0));
  EXPECT_TRUE(all(layers.mountain.values(), 255));
  ASSERT_EQ(run.state.heightGrid.values().size(), std::size_t{kHeightGridSide} * kHeightGridSide);
  EXPECT_TRUE(all(run.state.heightGrid.values(), 0));

  EXPECT_EQ(run.frontEnd.captions,
            std::vector<std::string>{"Brackwyn 1.3.1 - Loading height bitmaps"});
  EXPECT_EQ(run.frontEnd.eventCalls,
            3 * ((kBitmapSide + kLoadedRowsPerYield - 1) / kLoadedRowsPerYield));
  EXPECT_EQ(run.window.text("txtTimes"), "LoadElevation - 0:0:0\r\n");
}

struct BadBitmapCase {
  const char* name;
  std::size_t coastSize;  // 0: no coast file at all
  const char* expectedSetting;
  const char* expectedText;  // nullptr: the system's own words for a missing file
};

std::string MissingFileText() {
  testing::ScratchFolder folder;
  platform::NativeFile file = platform::kNoFile;
  return platform::OpenFile(folder / "missing.bmp", platform::OpenMode::Read, file).message();
}

class LoadElevationFailureTest : public LoadElevationTest,
                                 public ::testing::WithParamInterface<BadBitmapCase> {};

// The coast name is the one under test; the other two name a good file, so
// only the interior and mountain cases need the full-size write.
TEST_P(LoadElevationFailureTest, NamesTheSettingAndFile) {
  const BadBitmapCase& c = GetParam();
  std::string setting = c.expectedSetting;
  if (c.coastSize > 0) {
    std::vector<std::uint8_t> bad = tools::GrayBitmapHeader();
    bad.resize(std::max(bad.size(), c.coastSize), 1);
    WriteBytes(run.folder / "bad.bmp", bad, c.coastSize);
  }
  if (setting == "txtBitmapCoast") {
    SetNames("bad.bmp", "bad.bmp", "bad.bmp");
  } else {
    WriteBytes(run.folder / "good.bmp", GrayBitmapBytes([](int, int) { return 9; }),
               kBitmapStandardBytes);
    if (setting == "txtBitmapInterior")
      SetNames("good.bmp", "bad.bmp", "good.bmp");
    else
      SetNames("good.bmp", "good.bmp", "bad.bmp");
  }
  try {
    LoadElevation(run.context);
    FAIL() << "no error";
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("(" + setting + ")"), std::string::npos) << message;
    EXPECT_NE(message.find("bad.bmp\""), std::string::npos) << message;
    std::string expectedText = c.expectedText != nullptr ? c.expectedText : MissingFileText();
    EXPECT_NE(message.find(expectedText), std::string::npos) << message;
  }
  EXPECT_TRUE(run.window.text("txtTimes").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Bitmaps, LoadElevationFailureTest,
    ::testing::Values(BadBitmapCase{"MissingCoast", 0, "txtBitmapCoast", nullptr},
                      BadBitmapCase{"EmptyCoast", 1, "txtBitmapCoast", "is 1 bytes long"},
                      BadBitmapCase{"MissingInterior", 0, "txtBitmapInterior", nullptr},
                      BadBitmapCase{"MountainOneByteShort", kBitmapMinimumBytes - 1,
                                    "txtBitmapMountain", "is 33226804 bytes long, too short"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadElevationTest, AFolderInPlaceOfTheBitmapIsRefused) {
  std::filesystem::create_directory(run.folder / "folder.bmp");
  SetNames("folder.bmp", "folder.bmp", "folder.bmp");
  EXPECT_THROW(LoadElevation(run.context), RunError);
}

}  // namespace
}  // namespace brackwyn
