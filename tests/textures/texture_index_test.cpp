#include "textures/texture_index.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace brackwyn {
namespace {

class LineEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(LineEnds, ReadAlike) {
  std::string eol = GetParam();
  std::string text = "Texture ID,Texture File,Lowest,Highest,Slope,Mask" + eol +
                     "ex_rock,tx_rock.dds,-8.5,2000,35,rock mask.bmp" + eol + eol +
                     " ex_sand,tx_sand.dds,,,," + eol + "ex_snow,tx_snow.dds,4000,,";
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  std::vector<TextureRule> rules = ParseTextureIndex(bytes, "the test index");
  ASSERT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[0].row, 2);
  EXPECT_EQ(rules[0].id, "ex_rock");
  EXPECT_EQ(rules[0].file, "tx_rock.dds");
  EXPECT_EQ(rules[0].lowestHeight, -8.5);
  EXPECT_EQ(rules[0].highestHeight, 2000);
  EXPECT_EQ(rules[0].steepestSlope, 35);
  EXPECT_EQ(rules[0].maskFile, "rock mask.bmp");
  EXPECT_EQ(rules[1].row, 4);
  EXPECT_EQ(rules[1].id, " ex_sand");  // fields are taken as written
  EXPECT_TRUE(std::isinf(rules[1].lowestHeight) && rules[1].lowestHeight < 0);
  EXPECT_TRUE(std::isinf(rules[1].highestHeight) && rules[1].highestHeight > 0);
  EXPECT_EQ(rules[1].steepestSlope, 90);
  EXPECT_EQ(rules[1].maskFile, "");
  EXPECT_EQ(rules[2].lowestHeight, 4000);  // the mask column left out
  EXPECT_EQ(rules[2].maskFile, "");
}

INSTANTIATE_TEST_SUITE_P(Texts, LineEnds, ::testing::Values("\r\n", "\n", "\r"));

}  // namespace
}  // namespace brackwyn
