#include "land/vertex_color_palette.hpp"

#include <gtest/gtest.h>

#include "core/run_error.hpp"
#include "land/cell_colors.hpp"
#include "model/control_table.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

using Rgb = std::array<float, 3>;

const Rgb& RowOf(const VertexColorPalette& palette, int height) {
  return palette[kPaletteTopHeight - height];
}

class CreatePaletteTest : public ::testing::Test {
 protected:
  void SetHeights(const char* h2, const char* h3, const char* h4) {
    run.window.setText("txtVCLR2Height", h2);
    run.window.setText("txtVCLR3Height", h3);
    run.window.setText("txtVCLR4Height", h4);
  }

  Rgb BandColor(int band) const {
    Rgb color{};
    for (int c = 0; c < 3; ++c) {
      std::string box = "txtVCLR" + std::to_string(band) + "RGB"[c];
      color[c] = std::stof(run.window.text(box));
    }
    return color;
  }

  testing::TestRun run;
};

TEST_F(CreatePaletteTest, DefaultBandsGiveTheKnownColours) {
  CreatePalette(run.context);
  const VertexColorPalette& palette = run.state.palette;
  struct Known {
    int height;
    VertexColor color;
  };
  const Known known[] = {
      {10, {255, 255, 255}},  {9, {250, 250, 249}},   {8, {246, 245, 243}},  {4, {226, 225, 220}},
      {0, {208, 206, 197}},   {-4, {188, 186, 174}},  {-5, {179, 176, 162}}, {-6, {174, 180, 165}},
      {-16, {126, 217, 199}}, {-17, {116, 224, 206}}, {-74, {61, 190, 192}}, {-129, {8, 156, 178}},
      {-130, {6, 155, 177}},  {-255, {24, 90, 146}},  {-256, {24, 90, 145}},
  };
  for (const Known& k : known)
    EXPECT_EQ(ColorOfHeight(palette, k.height), k.color) << "height " << k.height;

  // The ties that rounding to even decides, and the one only a double
  // running colour reaches exactly.
  EXPECT_EQ(RowOf(palette, 8)[0], 245.5f);
  EXPECT_EQ(RowOf(palette, 4)[0], 226.5f);
  EXPECT_EQ(RowOf(palette, -4)[0], 188.5f);
  EXPECT_EQ(RowOf(palette, -74)[1], 189.5f);
  EXPECT_EQ(RowOf(palette, 9), (Rgb{250.25f, 250.0625f, 249.1875f}));

  EXPECT_EQ(run.window.text("txtTimes"), "CreatePalette - 0:0:0\r\n");
  EXPECT_TRUE(run.frontEnd.captions.empty());
}

struct WholeHeights {
  const char *h2, *h3, *h4;
};

class CreatePaletteHeightsTest : public CreatePaletteTest,
                                 public ::testing::WithParamInterface<WholeHeights> {};

// Every pair that fills rows starts exactly on its own colour at its own
// height, and the rows run on without a gap down to -256.
TEST_P(CreatePaletteHeightsTest, EachFilledPairStartsOnItsBandColour) {
  const WholeHeights& h = GetParam();
  SetHeights(h.h2, h.h3, h.h4);
  CreatePalette(run.context);
  const int heights[] = {10, std::stoi(h.h2), std::stoi(h.h3), std::stoi(h.h4), -256};
  for (int band = 0; band < 4; ++band) {
    bool filled = heights[band] > heights[band + 1] || band == 3;
    if (filled) {
      EXPECT_EQ(RowOf(run.state.palette, heights[band]), BandColor(band + 1)) << "band " << band;
    }
  }
  EXPECT_NE(run.state.palette[kPaletteRows - 1], (Rgb{0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Bands, CreatePaletteHeightsTest,
    ::testing::Values(WholeHeights{"-5", "-17", "-130"}, WholeHeights{"10", "10", "10"},
                      WholeHeights{"0", "0", "-256"}, WholeHeights{"10", "-256", "-256"},
                      WholeHeights{"-256", "-256", "-256"}, WholeHeights{"9", "8", "7"}));

TEST_F(CreatePaletteTest, EqualNeighboursSkipTheUpperBandsColour) {
  SetHeights("-5", "-5", "-130");
  CreatePalette(run.context);
  EXPECT_EQ(RowOf(run.state.palette, -5), BandColor(3));
  for (const Rgb& row : run.state.palette)
    EXPECT_NE(row, BandColor(2));
}

TEST_F(CreatePaletteTest, LowestEditableBandAtTheSeaFloorGivesItItsOwnColour) {
  SetHeights("-5", "-17", "-256");
  CreatePalette(run.context);
  EXPECT_EQ(RowOf(run.state.palette, -256), BandColor(4));
  EXPECT_NE(RowOf(run.state.palette, -255), BandColor(4));
}

TEST_F(CreatePaletteTest, FractionsThatRoundApartAreAccepted) {
  SetHeights("-5.3", "-17", "-129.75");
  CreatePalette(run.context);
  EXPECT_EQ(RowOf(run.state.palette, -5), BandColor(2));
  EXPECT_EQ(RowOf(run.state.palette, -130), BandColor(4));
}

struct BadBand {
  const char* name;
  const char* box;
  const char* text;
  const char* blamed;  // the setting the message must open with
  const char* expectedText;
};

class CreatePaletteFailureTest : public CreatePaletteTest,
                                 public ::testing::WithParamInterface<BadBand> {};

TEST_P(CreatePaletteFailureTest, NamesTheBox) {
  const BadBand& c = GetParam();
  run.window.setText(c.box, c.text);
  try {
    CreatePalette(run.context);
    FAIL() << "no error";
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_EQ(message.rfind("Setting " + DescribeSetting(c.blamed), 0), 0u) << message;
    EXPECT_NE(message.find(c.expectedText), std::string::npos) << message;
  }
  EXPECT_TRUE(run.window.text("txtTimes").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Bands, CreatePaletteFailureTest,
    ::testing::Values(
        BadBand{"GreenTooLarge", "txtVCLR3G", "256", "txtVCLR3G", "outside the color range"},
        BadBand{"RedNegative", "txtVCLR2R", "-1", "txtVCLR2R", "outside the color range"},
        BadBand{"BlueNotANumber", "txtVCLR5B", "blue", "txtVCLR5B", "is not a number"},
        BadBand{"HeightNotANumber", "txtVCLR4Height", "", "txtVCLR4Height", "is not a number"},
        BadBand{"ZeroDivisorBelowTop", "txtVCLR2Height", "11", "txtVCLR2Height",
                "exactly one above"},
        BadBand{"ZeroDivisor", "txtVCLR3Height", "-4", "txtVCLR3Height", "exactly one above"},
        BadBand{"ZeroDivisorAboveSeaFloor", "txtVCLR4Height", "-257", "txtVCLR4Height",
                "exactly one below"},
        BadBand{"AboveTheBandBefore", "txtVCLR3Height", "-2", "txtVCLR3Height", "is above"},
        BadBand{"BelowTheSeaFloor", "txtVCLR4Height", "-300", "txtVCLR4Height", "is below"},
        BadBand{"TieGivingTwoRows", "txtVCLR2Height", "-4.5", "txtVCLR2Height",
                "height -4 would get two colors"},
        BadBand{"TieLeavingAGap", "txtVCLR3Height", "-17.5", "txtVCLR3Height",
                "height -17 would get no color"},
        BadBand{"FixedTopMoved", "txtVCLR1Height", "9", "txtVCLR1Height", "must be 10"},
        BadBand{"FixedBottomMoved", "txtVCLR5Height", "-255", "txtVCLR5Height", "must be -256"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn
