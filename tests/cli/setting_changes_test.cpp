#include "cli/setting_changes.hpp"

#include <gtest/gtest.h>

#include "cli/nearest_name.hpp"
#include "cli/usage_error.hpp"

namespace brackwyn::cli {
namespace {

TEST(EditDistance, CountsEditsIgnoringCase) {
  EXPECT_EQ(EditDistance("--lod", "--load"), 1u);
  EXPECT_EQ(EditDistance("txtesp", "txtESP"), 0u);
  EXPECT_EQ(EditDistance("kitten", "sitting"), 3u);
  EXPECT_EQ(EditDistance("", "abc"), 3u);
  std::string_view names[] = {"txtESM", "txtESP"};
  EXPECT_EQ(FindNearestName("txtES", names).name, "txtESM");  // first on ties
  EXPECT_EQ(FindNearestName("txtesp", names).name, "txtESP");
}

TEST(SettingChange, SplitsAtTheFirstEqualsSign) {
  SettingChange change = ParseSettingChange("txtESP=a=b.esp");
  EXPECT_EQ(change.name, "txtESP");
  EXPECT_EQ(change.value, "a=b.esp");
  EXPECT_EQ(ParseSettingChange("txtVCLR2Height=").value, "");  // the run names it if it matters
  EXPECT_EQ(ParseSettingChange("chkCreateObjects=2").value, "2");
}

TEST(SettingChange, AppliesTextsAndStatesInOrder) {
  WindowModel window;
  std::vector<SettingChange> changes = {ParseSettingChange("txtESP=One.esp"),
                                        ParseSettingChange("chkCreateVCLR=0"),
                                        ParseSettingChange("txtESP=Two.esp")};
  ApplySettingChanges(window, changes);
  EXPECT_EQ(window.text("txtESP"), "Two.esp");
  EXPECT_EQ(window.state("chkCreateVCLR"), 0);
}

struct BadChange {
  const char* label;
  const char* assignment;
  std::vector<std::string> inMessage;

  friend void PrintTo(const BadChange& change, std::ostream* out) { *out << change.assignment; }
};

class RejectedChange : public ::testing::TestWithParam<BadChange> {};

TEST_P(RejectedChange, IsAUsageErrorThatSaysWhatWasMeant) {
  try {
    ParseSettingChange(GetParam().assignment);
    FAIL() << "accepted " << GetParam().assignment;
  } catch (const UsageError& error) {
    std::string message = error.what();
    for (const std::string& part : GetParam().inMessage)
      EXPECT_NE(message.find(part), std::string::npos) << message << "\nlacks " << part;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, RejectedChange,
    ::testing::Values(
        BadChange{"WrongCase", "txtesp=x", {"\"txtesp\"", "did you mean \"txtESP\""}},
        BadChange{"Typo", "txtObjetSeed=4", {"\"txtObjetSeed\"", "\"txtObjectSeed\""}},
        BadChange{"NearFixedBox", "txtScaleCoas=1", {"\"txtScaleCoast\"", "fixed box"}},
        BadChange{"NotASetting", "txtLog=x", {"unknown setting \"txtLog\""}},
        BadChange{"FixedBox", "txtVCLR5Height=-200", {"txtVCLR5Height", "cannot be changed"}},
        BadChange{"StateWord", "chkCreateVCLR=yes", {"chkCreateVCLR", "\"yes\"", "2 (grayed)"}},
        BadChange{"StateOutOfRange", "chkCreateObjects=3", {"chkCreateObjects", "\"3\""}},
        BadChange{"NoEquals", "txtESP", {"NAME=VALUE", "\"txtESP\""}},
        BadChange{"NoName", "=x", {"NAME=VALUE"}}),
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace brackwyn::cli
