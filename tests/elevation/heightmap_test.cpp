#include <gtest/gtest.h>

#include <fstream>

#include "core/run_error.hpp"
#include "elevation/heightmap_file.hpp"
#include "elevation/heightmap_heights.hpp"
#include "elevation/load_elevation.hpp"
#include "elevation/process_elevation.hpp"
#include "support/png_test_files.hpp"
#include "support/test_support.hpp"
#include "tools/gray_bitmap_writer.hpp"

namespace brackwyn {
namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// An all-black standard bitmap.
Bytes BlackBitmap() {
  Bytes bitmap(kBitmapStandardBytes, 0);
  Bytes header = tools::GrayBitmapHeader();
  std::copy(header.begin(), header.end(), bitmap.begin());
  return bitmap;
}

TEST(HeightmapHeights, RoundHalfStepsToEvenExactly) {
  struct Case {
    std::int64_t low, high;
    int maximum, v;
    std::int64_t expected;
  };
  const Case cases[] = {
      {-2048, 14336, 65535, 0, -256},
      {-2048, 14336, 65535, 65535, 1792},
      {-2048, 14336, 255, 255, 1792},
      {4, 12, 255, 0, 0},        // 0.5 steps
      {12, 20, 255, 0, 2},       // 1.5
      {-4, 4, 255, 0, 0},        // -0.5
      {-12, 4, 255, 0, -2},      // -1.5
      {0, 8, 65535, 32767, 0},   // just below a half step
      {0, 8, 65535, 32768, 1},   // just above
      {0, 16, 65535, 32768, 1},  // 65536 / 65535: above one
      {-2147483647, 2147483647, 65535, 65535, 268435456},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HeightmapHeight(c.low, c.high, c.maximum, c.v), c.expected)
        << c.low << ".." << c.high << " of " << c.maximum << ", v " << c.v;
  // An 8-bit file and the 16-bit file of the same picture (257 v) agree.
  for (int v = 0; v < 256; ++v)
    ASSERT_EQ(HeightmapHeight(-999, 5001, 255, v), HeightmapHeight(-999, 5001, 65535, 257 * v));
}

// Row r of a heightmap file is the r-th from the top, so this pixel lands
// on grid vertex (100, 3127): cell (1, 48), vertex (36, 55) of that cell.
constexpr int kBrightX = 100, kBrightRow = 200;
constexpr int kBrightGridY = kBitmapSide - 1 - kBrightRow;

class HeightmapRun : public ::testing::Test {
 protected:
  // Runs the two elevation stages on the named heightmap.
  const HeightGrid& RunHeightmap(const char* name, std::int64_t low = -2048,
                                 std::int64_t high = 256) {
    RunParameters& p = run.state.parameters;
    p.useHeightmap = true;
    p.heightmapName = name;
    p.heightmapLow = low;
    p.heightmapHigh = high;
    LoadElevation(run.context);
    ProcessElevation(run.context);
    return run.state.heightGrid;
  }

  testing::TestRun run;
};

// Black at -2048 and white at 256 units are the coast bitmap's 0 and 255, so
// every kind of heightmap must give the bitmap path's grid.
TEST_F(HeightmapRun, EveryKindOfFileGivesTheGridOfTheSameBitmap) {
  auto bright = [](int x, int r) { return x == kBrightX && r == kBrightRow; };
  Bytes bitmap = BlackBitmap();
  // Bottom-up rows: stored row kBrightGridY is the picture's row kBrightRow.
  std::fill_n(
      bitmap.begin() + static_cast<std::ptrdiff_t>(kBitmapHeaderBytes +
                                                   kBitmapRowBytes * kBrightGridY + 3 * kBrightX),
      3, 255);
  WriteBytes(run.folder / "coast.bmp", bitmap);
  WriteBytes(run.folder / "black.bmp", BlackBitmap());
  RunParameters& p = run.state.parameters;
  p.coastBitmapName = "coast.bmp";
  p.interiorBitmapName = p.mountainBitmapName = "black.bmp";
  p.interiorScale = p.mountainScale = 125;
  LoadElevation(run.context);
  ProcessElevation(run.context);
  const LargeArray<std::int16_t> fromBitmaps = run.state.heightGrid.values();
  ASSERT_EQ(run.state.heightGrid.at(kBrightX, kBrightGridY), 32);

  WriteBytes(run.folder / "8.png", testing::GrayTestPng(kBitmapSide, 8, [&](int x, int r) {
               return bright(x, r) * 255;
             }));
  WriteBytes(run.folder / "16.png", testing::GrayTestPng(kBitmapSide, 16, [&](int x, int r) {
               return bright(x, r) * 65535;
             }));
  Bytes raw(kRawHeightmapBytes, 0);
  raw[2 * (std::size_t{kBitmapSide} * kBrightRow + kBrightX)] = 0xFF;
  raw[2 * (std::size_t{kBitmapSide} * kBrightRow + kBrightX) + 1] = 0xFF;
  WriteBytes(run.folder / "heights.R16", raw);
  for (const char* name : {"8.png", "16.png", "heights.R16"}) {
    const HeightGrid& grid = RunHeightmap(name);
    EXPECT_TRUE(grid.values() == fromBitmaps) << name;
    int raised = 0;
    for (std::int16_t h : grid.values())
      raised += h != -256;
    EXPECT_EQ(raised, 1) << name;
  }
  EXPECT_EQ(run.window.text("txtTimes").find("LoadElevation - "), 0u);
}

struct BadHeightmap {
  const char* test;
  const char* file;
  Bytes (*bytes)();
  const char* expected;
};

Bytes HeaderOnly(std::uint32_t width, int bitDepth, int colorType) {
  return testing::TestPng(width, kBitmapSide, bitDepth, colorType, {});
}

const BadHeightmap kBadHeightmaps[] = {
    {"Colour", "h.png", [] { return HeaderOnly(kBitmapSide, 8, 2); },
     "colour type 2 (RGB colour) at bit depth 8"},
    {"GrayWithAlpha", "h.png", [] { return HeaderOnly(kBitmapSide, 16, 4); },
     "colour type 4 (gray with alpha) at bit depth 16"},
    {"OneBitGray", "h.png", [] { return HeaderOnly(kBitmapSide, 1, 0); },
     "colour type 0 (gray) at bit depth 1"},
    {"NarrowByOne", "h.png", [] { return HeaderOnly(3327, 16, 0); }, "is 3327 x 3328 pixels"},
    {"TruncatedPng", "h.png",
     [] {
       Bytes png = testing::GrayTestPng(kBitmapSide, 16, [](int x, int) { return x; });
       png.resize(png.size() / 2);
       return png;
     },
     "cannot be decoded"},
    {"RawOfWrongLength", "h.raw", [] { return Bytes(kRawHeightmapBytes - 2); },
     "holds 22151166 bytes instead of 22151168"},
    {"RenamedBitmap", "h.png", BlackBitmap, "is a bitmap (BMP) picture"},
    {"ValueOutOfRange", "h.png",
     [] {
       return testing::GrayTestPng(kBitmapSide, 8,
                                   [](int x, int r) { return x == 7 && r == 3 ? 255 : 0; });
     },
     "its value 255 at pixel (7, 3) (from the top-left corner) becomes 262144 world units"},
};

class BadHeightmapRun : public HeightmapRun, public ::testing::WithParamInterface<BadHeightmap> {};

TEST_P(BadHeightmapRun, IsRefusedNamingTheFile) {
  const BadHeightmap& c = GetParam();
  WriteBytes(run.folder / c.file, c.bytes());
  try {
    RunHeightmap(c.file, 0, 262144);
    FAIL() << "no error";
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("heightmap file (txtHeightmap)"), std::string::npos) << message;
    EXPECT_NE(message.find(std::string(c.file) + "\""), std::string::npos) << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, BadHeightmapRun, ::testing::ValuesIn(kBadHeightmaps),
                         [](const auto& info) { return std::string(info.param.test); });

}  // namespace
}  // namespace brackwyn
