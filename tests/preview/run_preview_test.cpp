#include "preview/run_preview.hpp"

#include <gtest/gtest.h>

#include "land/cell_colors.hpp"
#include "model/control_names.hpp"
#include "plugin/plugin_reader.hpp"
#include "preview/image_text.hpp"
#include "preview/land_picture.hpp"
#include "preview/plugin_picture.hpp"
#include "preview/png_file.hpp"
#include "preview_world.hpp"

namespace brackwyn {
namespace {

using testing::kCliffX;
using testing::kCliffY;
using testing::PreviewWorld;

// (3, 3) lies inside cell (-26, -26), off the grid lines and the labels'
// rows and columns, in sea at height -256.
constexpr int kDeepSeaX = 3, kDeepSeaPixelY = kBitmapSide / 2 - 1 - 3;

struct SeaCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> settings;
};

class PreviewSea : public ::testing::TestWithParam<SeaCase> {};

// With vertex colours the sea shows each vertex's own colour, here a
// changed deep-water band; without them the default bands' colour.
TEST_P(PreviewSea, DeepSeaPixelHasTheDeepWaterColour) {
  PreviewWorld world(false, GetParam().settings);
  RgbImage image = DrawRunPreview(world.state, world.window);
  ASSERT_EQ(image.width, 1664);
  ASSERT_EQ(image.height, 1664);
  Rgb expected = world.window.state(control::chkCreateVCLR) != 0
                     ? ColorOfHeight(world.state.palette, kBorderHeight)
                     : DefaultSeaColor(kBorderHeight);
  EXPECT_EQ(image.pixel(kDeepSeaX, kDeepSeaPixelY), expected);
  EXPECT_EQ(DefaultSeaColor(kBorderHeight), (Rgb{24, 90, 145}));
}

INSTANTIATE_TEST_SUITE_P(Colours, PreviewSea,
                         ::testing::Values(SeaCase{"ChangedBand", {{"txtVCLR5R", "200"}}},
                                           SeaCase{"ColoursOff", {{"chkCreateVCLR", "0"}}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Pixel (832, 831) of the half-size picture is vertex (1664, 1664), the
// bottom-left corner of the 27th cell each way from the world's corner.
TEST(Preview, PixelDescriptionNamesTheCellWhereverTheWorldIsPlaced) {
  PreviewWorld world(false);
  EXPECT_TRUE(DescribePreviewPixel(world.state, 2, 1664, 1664, 832, 831)
                  .starts_with("Cell (0, 0)  vertex (1664, 1664)  height "));
  world.state.parameters.worldX = 100;
  world.state.parameters.worldY = -500;
  EXPECT_TRUE(DescribePreviewPixel(world.state, 2, 1664, 1664, 832, 831)
                  .starts_with("Cell (126, -474)  vertex (1664, 1664)  height "));
  EXPECT_EQ(DescribePreviewPixel(world.state, 2, 1664, 1664, 1664, 0), "");
}

TEST(Preview, ClippedVertexIsMarkedAndListedAsTheLogReportsIt) {
  PreviewWorld world(true);
  ASSERT_FALSE(world.state.clippedVertices.empty());
  std::string log;
  for (const ClippedVertex& v : world.state.clippedVertices)
    log += "x: " + std::to_string(v.x) + " y: " + std::to_string(v.y) + "\r\n";
  EXPECT_EQ(log, world.window.text(control::txtLog));
  RgbImage image = DrawRunPreview(world.state, world.window);
  EXPECT_EQ(image.pixel(kCliffX / 2, 1663 - kCliffY / 2), kClippedColor);
  // The mark is large enough to see: five pixels across.
  EXPECT_EQ(image.pixel(kCliffX / 2 + 2, 1663 - kCliffY / 2 - 2), kClippedColor);
}

TEST(Preview, DotsStandWhereTheReferencesStandAndTheLegendListsTheKinds) {
  PreviewWorld world(false, {{"chkCreateObjects", "1"}});
  world.state.objectPalette.kinds = {{"ex_pine", "", 0, 1, 1}, {"ex_rock", "", 5, 1, 1}};
  // Apart, so no dot covers another; one in the sea, one on a slope.
  world.writePlugin({{8000, 9000, 1}, {13000, 14000, 2}, {20000, 7000, 1}});
  ASSERT_EQ(world.state.placedObjects.size(), 3u);

  RgbImage image = DrawRunPreview(world.state, world.window);
  PluginContents plugin = ReadPluginFile(world.folder / "Brackwyn.esp");
  int references = 0;
  for (const PluginCell& cell : plugin.cells) {
    for (const PluginReference& reference : cell.references) {
      ++references;
      const auto& placement = *reference.placement;
      int vertexX = static_cast<int>(placement[0]) / kUnitsPerPixel + 26 * 64;
      int vertexY = static_cast<int>(placement[1]) / kUnitsPerPixel + 26 * 64;
      int kind = reference.id == "ex_pine" ? 1 : 2;
      EXPECT_EQ(image.pixel(vertexX / 2, 1663 - vertexY / 2), ObjectKindColor(kind))
          << reference.id;
    }
  }
  EXPECT_EQ(references, 3);

  std::vector<LegendLine> legend =
      LegendLayout(world.state.objectPalette, image.width, image.height, 2);
  ASSERT_EQ(legend.size(), 2u);
  for (const LegendLine& line : legend) {
    const std::string& id = world.state.objectPalette.kind(line.kind).id;
    EXPECT_EQ(image.pixel(line.x + 1, line.y + 1), ObjectKindColor(line.kind)) << id;
    RgbImage text(image.width, image.height);
    DrawText(text, line.textX, line.textY, id, {255, 255, 255});
    int lit = 0;
    for (int y = line.textY; y < line.textY + TextHeight(); ++y) {
      for (int x = line.textX; x < line.textX + TextWidth(id); ++x) {
        bool glyph = text.pixel(x, y)[0] == 255;
        lit += glyph;
        EXPECT_EQ(image.pixel(x, y) == Rgb({255, 255, 255}), glyph) << id << " at " << x;
      }
    }
    EXPECT_GT(lit, 5 * static_cast<int>(id.size())) << id;
  }
}

TEST(Preview, ReadPluginPictureEqualsTheRunPreviewWithoutObjects) {
  PreviewWorld world(false);
  world.writePlugin();
  ASSERT_TRUE(world.state.clippedVertices.empty());
  PluginContents plugin = ReadPluginFile(world.folder / "Brackwyn.esp");
  for (int scale : {2, 8}) {
    RgbImage preview = DrawRunPreview(world.state, world.window, {scale, false});
    EXPECT_TRUE(DrawPluginPicture(plugin, scale) == preview) << "scale " << scale;
  }
}

TEST(Preview, PngHoldsThePicture) {
  RgbImage image(3, 2);
  image.set(2, 1, {1, 2, 3});
  std::vector<std::uint8_t> png = EncodePng(image);
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(png[19], 3);  // width, big-endian
  EXPECT_EQ(png[23], 2);  // height
}

}  // namespace
}  // namespace brackwyn
