#include "model/window_model.hpp"

#include <gtest/gtest.h>

#include <set>

#include "model/control_table.hpp"

namespace brackwyn {
namespace {

TEST(WindowModel, StartsWithDefaultsIdleCaptionAndEmptyOutputs) {
  WindowModel window;
  EXPECT_EQ(window.caption(), "Brackwyn 1.3.1");
  EXPECT_TRUE(window.beginEnabled());
  EXPECT_EQ(window.text("txtESM"), "Brackwyn.esm");
  EXPECT_EQ(window.text("txtScaleMountain"), "8000");
  EXPECT_EQ(window.text("txtConfineObjectsY2"), "3327");
  EXPECT_EQ(window.text("txtVCLR5Height"), "-256");
  EXPECT_EQ(window.state("chkCreateObjects"), 0);
  EXPECT_EQ(window.state("chkCreateVCLR"), 1);
  EXPECT_EQ(window.text("txtLog"), "");
  EXPECT_EQ(window.text("txtObjectsCount"), "");
  EXPECT_EQ(window.text("txtTimes"), "");
}

TEST(WindowModel, RejectsUnknownNamesAndImpossibleStates) {
  WindowModel window;
  EXPECT_THROW(window.text("txtNothing"), std::invalid_argument);
  EXPECT_THROW(window.state("txtESM"), std::invalid_argument);
  EXPECT_THROW(window.text("chkCreateVCLR"), std::invalid_argument);
  EXPECT_THROW(window.setState("chkCreateVCLR", 3), std::invalid_argument);
  window.setState("chkCreateVCLR", 2);
  EXPECT_EQ(window.state("chkCreateVCLR"), 2);
}

TEST(ControlTable, NamesAreUniqueAndTheSixFixedBoxesAreNotEditable) {
  std::set<std::string_view> names;
  std::set<std::string_view> fixed;
  for (const ControlSpec& control : ControlTable()) {
    if (!control.name.empty()) {
      EXPECT_TRUE(names.insert(control.name).second) << control.name;
    }
    if (IsSetting(control) && !control.editable)
      fixed.insert(control.name);
  }
  EXPECT_EQ(fixed, (std::set<std::string_view>{"txtScaleCoast", "txtVCLR1Height", "txtVCLR1R",
                                               "txtVCLR1G", "txtVCLR1B", "txtVCLR5Height"}));
  EXPECT_EQ(DescribeSetting("txtObjectSeed"), "\"Object Random Number Seed\" (txtObjectSeed)");
}

TEST(ControlTable, FrameToolTipsDifferFromTheirAreasOnlyWhereTheLogSaysBelow) {
  const ControlSpec* frame = FindControl("fraLog");
  const ControlSpec* area = FindControl("txtLog");
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(area, nullptr);
  std::string expected(area->toolTip);
  expected.replace(expected.find("reported here"), 13, "reported below");
  EXPECT_EQ(frame->toolTip, expected);
  EXPECT_EQ(FindControl("fraTimes")->toolTip, FindControl("txtTimes")->toolTip);
}

}  // namespace
}  // namespace brackwyn
