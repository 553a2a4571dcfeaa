#include "textures/create_vtex.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/run_error.hpp"
#include "gray_bitmap_writer.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

constexpr char kHeader[] =
    "Texture ID,Texture File,Lowest Height,Highest Height,Steepest Slope,Mask Bitmap\r\n";

// A cell whose vertex (dx, dy) stands at base + yStep * dy + xStep * dx
// height steps (8 game units each).
struct CellTerrain {
  int cell;
  int base;
  int xStep = 0;
  int yStep = 0;
};

class TexturedWorld : public ::testing::Test {
 protected:
  TexturedWorld() {
    CellHeights& heights = run.state.cellHeights;
    heights.baseHeight.assign(kCellCount, 0.0f);
    heights.heightSteps.assign(std::size_t{kCellCount} * kVerticesPerCell, 0);
    run.window.setState("chkCreateTextures", 1);
  }

  void shape(const CellTerrain& terrain) {
    CellHeights& heights = run.state.cellHeights;
    heights.baseHeight[static_cast<std::size_t>(terrain.cell)] = static_cast<float>(terrain.base);
    std::uint8_t* steps = heights.heightSteps.data() + std::size_t{kVerticesPerCell} * terrain.cell;
    for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
      for (int dx = 0; dx < kVerticesPerCellSide; ++dx) {
        int step = dx > 0 ? terrain.xStep : dy > 0 ? terrain.yStep : 0;
        steps[dy * kVerticesPerCellSide + dx] = static_cast<std::uint8_t>(step);
      }
    }
  }

  void writeIndex(const std::string& rows) {
    std::ofstream(run.folder / "textures.csv", std::ios::binary) << kHeader << rows;
  }

  // The ID of the texture of square (u, v) of a cell; empty for the default.
  std::string textureAt(int cell, int u, int v) const {
    const LandTextures& textures = run.state.landTextures;
    std::uint16_t value = textures.cell(cell)[static_cast<std::size_t>(v * 16 + u)];
    return value == 0 ? "" : textures.used.at(value - 1u).id;
  }

  testing::TestRun run;
};

struct Square {
  int cell;
  int u;
  int v;
  const char* id;
};

struct ChoiceCase {
  const char* name;
  const char* rows;
  std::vector<CellTerrain> terrain;  // every other cell is flat at height 0
  std::vector<Square> expected;
  std::size_t texturesUsed;
};

class RuleChoice : public TexturedWorld, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(RuleChoice, EverySquareTakesTheFirstRuleItQualifiesFor) {
  const ChoiceCase& c = GetParam();
  for (const CellTerrain& terrain : c.terrain)
    shape(terrain);
  writeIndex(c.rows);
  CreateVTEX(run.context);
  for (const Square& square : c.expected) {
    EXPECT_EQ(textureAt(square.cell, square.u, square.v), square.id)
        << "cell " << square.cell << " square (" << square.u << ", " << square.v << ")";
  }
  EXPECT_EQ(run.state.landTextures.used.size(), c.texturesUsed);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleChoice,
    ::testing::Values(
        // Heights in game units: 8 per step; limits include their bounds.
        ChoiceCase{"HeightBands",
                   "low,low.dds,,0,,\r\nmid,mid.dds,0,1000,,\r\nhigh,high.dds,2000,,,\r\n",
                   {{0, -10}, {1, 0}, {2, 50}, {3, 125}, {4, 150}, {5, 250}, {6, -20, 1}},
                   {{0, 0, 0, "low"},
                    {1, 7, 7, "low"},
                    {2, 0, 0, "mid"},
                    {3, 15, 15, "mid"},
                    {4, 0, 0, ""},
                    {5, 0, 0, "high"},
                    // the mean of vertices 16..20 is -2 steps, of 20..24 +2
                    {6, 4, 9, "low"},
                    {6, 5, 9, "mid"}},
                   3},
        // 16 steps a vertex rise 128 units over 128: 45 degrees.
        ChoiceCase{"SlopePicksRockOnSteepGround",
                   "grass,grass.dds,,,30,\r\nrock,rock.dds,,,,\r\n",
                   {{1, 0, 16}, {2, 0, 0, 16}, {3, 0, 9}, {4, 0, 10}},
                   {{0, 3, 3, "grass"},
                    {1, 3, 3, "rock"},
                    {2, 3, 3, "rock"},
                    {3, 3, 3, "grass"},
                    {4, 3, 3, "rock"}},
                   2},
        ChoiceCase{"SlopeLimitIncludesItsBound",
                   "steep,steep.dds,,,45,\r\n",
                   {{1, 0, 16}, {2, 0, 17}},
                   {{0, 0, 0, "steep"}, {1, 0, 0, "steep"}, {2, 0, 0, ""}},
                   1},
        ChoiceCase{"OverlappingRulesFirstWins",
                   "beach,beach.dds,,100,,\r\nplain,plain.dds,,,,\r\n",
                   {{1, 100}},
                   {{0, 0, 0, "beach"}, {1, 0, 0, "plain"}},
                   2},
        ChoiceCase{"RulesSharingAnIdShareItsTexture",
                   "Sand,sand.dds,,0,,\r\ngrass,grass.dds,0,1000,,\r\nsand,sand.dds,1000,,,\r\n",
                   {{0, -10}, {1, 200}, {2, 50}},
                   {{0, 0, 0, "Sand"}, {1, 0, 0, "Sand"}, {2, 0, 0, "grass"}},
                   2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TexturedWorld, MaskAllowsItsRuleWhereTheSquareCentreIsPainted) {
  // Only the centre vertices of the western half's squares reach 128.
  tools::WriteGrayBitmap(run.folder / "mask.bmp", [](int x, int y) {
    return x % 4 == 2 && y % 4 == 2 && x < kBitmapSide / 2 ? 128 : 127;
  });
  writeIndex("painted,painted.dds,,,,mask.bmp\r\nrest,rest.dds,,,,\r\n");
  CreateVTEX(run.context);
  for (int cell = 0; cell < kCellCount; ++cell) {
    for (int v = 0; v < 16; ++v) {
      for (int u = 0; u < 16; ++u) {
        bool west = (cell % kCellsPerSide) * 16 + u < 416;
        ASSERT_EQ(textureAt(cell, u, v), west ? "painted" : "rest")
            << "cell " << cell << " square (" << u << ", " << v << ")";
      }
    }
  }
}

TEST_F(TexturedWorld, TexturesAreNumberedInOrderOfFirstUseAndUnusedRulesLeftOut) {
  shape({100, 200});
  writeIndex("never,never.dds,99999,,,\r\nhigh,high.dds,1000,,,\r\nlow,low.dds,,,,\r\n");
  CreateVTEX(run.context);
  const LandTextures& textures = run.state.landTextures;
  ASSERT_EQ(textures.used.size(), 2u);
  EXPECT_EQ(textures.used[0].id, "low");
  EXPECT_EQ(textures.used[0].file, "low.dds");
  EXPECT_EQ(textures.used[1].id, "high");
  EXPECT_EQ(textures.cell(0)[0], 1);
  EXPECT_EQ(textures.cell(100)[255], 2);
  EXPECT_TRUE(run.window.text("txtTimes").starts_with("CreateVTEX - "));
}

TEST_F(TexturedWorld, UncheckedLeavesTheLandUntexturedWithoutReadingTheIndex) {
  run.state.landTextures.squares.assign(10, 1);  // from an earlier stage call
  run.window.setState("chkCreateTextures", 0);
  CreateVTEX(run.context);
  EXPECT_TRUE(run.state.landTextures.empty());
  EXPECT_EQ(run.window.text("txtTimes"), "");
}

struct BadIndexCase {
  const char* name;
  std::string rows;
  const char* where;  // in the message
};

class BadTextureIndex : public TexturedWorld, public ::testing::WithParamInterface<BadIndexCase> {};

TEST_P(BadTextureIndex, IsRefusedNamingTheRowAndColumn) {
  std::ofstream(run.folder / "short.bmp", std::ios::binary) << std::string(100, '\0');
  writeIndex(GetParam().rows);
  try {
    CreateVTEX(run.context);
    FAIL() << "the index was taken";
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find(GetParam().where), std::string::npos) << message;
    EXPECT_NE(message.find("txtTextureIndex"), std::string::npos) << message;
  }
  EXPECT_TRUE(run.state.landTextures.empty());
}

std::string ManyRules(int count) {
  std::string rows;
  for (int i = 0; i < count; ++i)
    rows.append("t").append(std::to_string(i)).append(",t.dds,,,,\n");
  return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadTextureIndex,
    ::testing::Values(
        BadIndexCase{"LowestNotANumber", "a,a.dds,low,,,\r\n", "row 2, column 3"},
        BadIndexCase{"HighestNotAPlainNumber", "a,a.dds,,1e3,,\r\n", "row 2, column 4"},
        BadIndexCase{"SlopeNotANumber", "a,a.dds,,,steep,\r\n", "row 2, column 5"},
        BadIndexCase{"LowestAboveHighest", "a,a.dds,500,200,,\r\n", "row 2, column 3"},
        BadIndexCase{"SlopeAbove90", "a,a.dds,,,90.5,\r\n", "row 2, column 5"},
        BadIndexCase{"SlopeBelow0", "a,a.dds,,,-1,\r\n", "row 2, column 5"},
        BadIndexCase{"EmptyId", ",a.dds,,,,\r\n", "row 2, column 1"},
        BadIndexCase{"IdWithControlCharacter", "a\tb,a.dds,,,,\r\n", "row 2, column 1"},
        BadIndexCase{"IdTooLong", std::string(256, 'x') + ",a.dds,,,,\r\n", "row 2, column 1"},
        BadIndexCase{"EmptyTextureFile", "a,,,,,\r\n", "row 2, column 2"},
        BadIndexCase{"TextureFileTooLong", "a," + std::string(256, 'x') + ",,,,\r\n",
                     "row 2, column 2"},
        BadIndexCase{"TooFewFields", "a,a.dds,0\r\n", "row 2, column 4"},
        BadIndexCase{"TooManyFields", "a,a.dds,,,,m.bmp,x\r\n", "row 2, column 7"},
        BadIndexCase{"OneIdTwoFiles", "sand,s1.dds,,,,\r\nSAND,s2.dds,,,,\r\n", "row 3, column 2"},
        BadIndexCase{"MissingMask", "a,a.dds,,,,missing.bmp\r\n", "row 2, column 6"},
        BadIndexCase{"ShortMask", "a,a.dds,,,,short.bmp\r\n", "row 2, column 6"},
        BadIndexCase{"RowsCountBlankLines", "a,a.dds,,,,\n\nb,b.dds,x,,,\n", "row 4, column 3"},
        BadIndexCase{"MoreThan255Rules", ManyRules(256), "row 257"},
        BadIndexCase{"NoRule", "\r\n", "holds no rule"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn
