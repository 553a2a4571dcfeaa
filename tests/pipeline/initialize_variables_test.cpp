#include "pipeline/initialize_variables.hpp"

#include <gtest/gtest.h>

#include "core/number_text.hpp"
#include "core/run_error.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

TEST(ParseDecimal, AcceptsPlainDecimalsOnly) {
  EXPECT_EQ(ParseDecimal("  1000 "), 1000.0);
  EXPECT_EQ(ParseDecimal("-7"), -7.0);
  EXPECT_EQ(ParseDecimal("+2.5"), 2.5);
  EXPECT_EQ(ParseDecimal(".5"), 0.5);
  EXPECT_EQ(ParseDecimal("\t3.\t"), 3.0);
  for (const char* bad : {"", " ", "-", ".", "1e3", "12a", "1 000", "0x10", "1,5", "nan", "inf"}) {
    EXPECT_FALSE(ParseDecimal(bad).has_value()) << bad;
  }
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3.0);
}

class InitializeVariablesTest : public ::testing::Test {
 protected:
  testing::TestRun run;
};

TEST_F(InitializeVariablesTest, CopiesDefaultsAndDisablesStart) {
  InitializeVariables(run.context);
  const RunParameters& p = run.state.parameters;
  EXPECT_EQ(p.interiorScale, 125.0f);
  EXPECT_EQ(p.mountainScale, 1000.0f);
  EXPECT_EQ(p.coastBitmapName, "coast.bmp");
  EXPECT_EQ(p.interiorBitmapName, "interior.bmp");
  EXPECT_EQ(p.mountainBitmapName, "mountain.bmp");
  EXPECT_EQ(p.objectIndexName, "objects.csv");
  EXPECT_EQ(p.masterFileName, "Brackwyn.esm");
  EXPECT_EQ(p.pluginFileName, "Brackwyn.esp");
  EXPECT_EQ(p.objectSeed, 0);
  EXPECT_FALSE(p.useHeightmap);
  EXPECT_EQ(p.worldX, -26);
  EXPECT_EQ(p.worldY, -26);
  EXPECT_FALSE(run.window.beginEnabled());
  EXPECT_EQ(run.window.text("txtTimes"), "InitializeVariables - 0:0:0\r\n");
  EXPECT_EQ(run.window.caption(), "Brackwyn 1.3.1");
}

TEST_F(InitializeVariablesTest, AProcessorCapThatNamesNoLevelStopsTheRunListingThem) {
  for (const char* known : {"baseline", "ssse3", "avx2", "avx512", "avx512vbmi"}) {
    testing::EnvironmentSetting cap("BRACKWYN_CPU", known);
    EXPECT_NO_THROW(InitializeVariables(run.context)) << known;
  }
  testing::EnvironmentSetting cap("BRACKWYN_CPU", "AVX2");
  try {
    InitializeVariables(run.context);
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_STREQ(error.what(),
                 "The environment variable BRACKWYN_CPU is \"AVX2\", which names no instruction "
                 "sets. Use one of baseline, ssse3, avx2, avx512, avx512vbmi, or leave it unset "
                 "to use everything the processor offers.");
  }
}

TEST_F(InitializeVariablesTest, ConvertsScalesAndSeeds) {
  run.window.setText("txtScaleInterior", "1001");
  run.window.setText("txtScaleCoast", "not a number, never read");
  for (auto [text, seed] : {std::pair{"2.5", 2},
                            {"3.5", 4},
                            {"-7", -7},
                            {"2147483647", 2147483647},
                            {"-2147483648", -2147483647 - 1}}) {
    run.window.setText("txtObjectSeed", text);
    InitializeVariables(run.context);
    EXPECT_EQ(run.state.parameters.objectSeed, seed) << text;
  }
  EXPECT_EQ(run.state.parameters.interiorScale, 125.125f);
}

TEST_F(InitializeVariablesTest, BadNumbersNameTheSetting) {
  struct Case {
    const char* name;
    const char* text;
  };
  for (Case c :
       {Case{"txtScaleInterior", ""}, Case{"txtScaleMountain", "8k"}, Case{"txtObjectSeed", "seed"},
        Case{"txtObjectSeed", "2147483648"}, Case{"txtObjectSeed", "-2147483649"},
        Case{"txtHeightmapLow", "1.5"}, Case{"txtHeightmapHigh", "-2048"}, Case{"txtWorldX", "949"},
        Case{"txtWorldY", "-1001"}, Case{"txtWorldX", "3.5"}}) {
    WindowModel& window = run.window;
    window.resetToDefaults();
    window.setState("chkHeightmap", 1);  // else black and white are not read
    window.setText(c.name, c.text);
    try {
      InitializeVariables(run.context);
      ADD_FAILURE() << c.name << "=" << c.text << " was accepted";
    } catch (const RunError& error) {
      EXPECT_NE(std::string(error.what()).find(c.name), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace brackwyn
