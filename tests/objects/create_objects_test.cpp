#include "objects/create_objects.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/run_error.hpp"
#include "object_world.hpp"
#include "objects/object_counts_text.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

constexpr const char* kGridFiles[] = {"Base.dat", "Top.dat", "Objects.dat"};

// A run with two kinds on disk, confined to a small box.
struct ObjectRun {
  explicit ObjectRun(std::int32_t seed = 0) {
    testing::WriteObjectIndex(run.folder / "objects.csv", {{"tree", 20, 3, 9}, {"bush", 10, 1, 3}});
    testing::WriteDensityBitmap(run.folder / testing::DensityFileName(1),
                                [](int x, int) { return x < 1600 ? 200 : 0; });
    testing::WriteDensityBitmap(run.folder / testing::DensityFileName(2),
                                [](int, int y) { return y % 3 == 0 ? 100 : 0; });
    testing::SetObjectSettings(run.window, "64", {1590, 300, 1609, 309});
    run.state.parameters.objectIndexName = "objects.csv";
    run.state.parameters.objectSeed = seed;
  }

  std::vector<std::uint8_t> objectsInBox() const {
    return testing::ReadGridRegion(run.folder / "Objects.dat", 8 * 1590, 8 * 1609 + 7, 8 * 300,
                                   8 * 309 + 7);
  }

  testing::TestRun run;
};

TEST(CreateObjects, UncheckedDoesNothing) {
  testing::TestRun run;
  run.window.setText("txtObjectsCount", "earlier");
  CreateObjects(run.context);
  EXPECT_TRUE(std::filesystem::is_empty(run.folder.path()));
  EXPECT_TRUE(run.frontEnd.captions.empty());
  EXPECT_EQ(run.window.text("txtTimes"), "");
  EXPECT_EQ(run.window.text("txtObjectsCount"), "earlier");
  EXPECT_EQ(run.state.random.position(), 0u);
}

class CreateObjectsChecked : public ::testing::TestWithParam<int> {};

TEST_P(CreateObjectsChecked, ReadsLoadsResetsAndPlaces) {
  ObjectRun o;
  o.run.window.setState("chkCreateObjects", GetParam());
  CreateObjects(o.run.context);
  const RunState& state = o.run.state;
  ASSERT_EQ(state.objectPalette.kindCount(), 2);
  EXPECT_EQ(state.objectPalette.kind(2).id, "bush");
  EXPECT_GT(state.objectCounts[1], 0);
  EXPECT_GT(state.objectCounts[2], 0);
  EXPECT_EQ(o.run.window.text("txtObjectsCount"), ObjectCountsText(state.objectCounts));
  EXPECT_TRUE(o.run.window.text("txtTimes").starts_with("CreateObjects - 0:0:"));
  for (const char* name : kGridFiles)
    EXPECT_EQ(std::filesystem::file_size(o.run.folder / name), kPlacementFileBytes) << name;
  const auto& captions = o.run.frontEnd.captions;
  ASSERT_EQ(captions.size(), 2u + 8u + 10u);
  EXPECT_EQ(captions[1], "Brackwyn 1.3.1 - Loading objects - 100% Complete");
  EXPECT_EQ(captions[9], "Brackwyn 1.3.1 - Creating object temp files - 87% Complete");
  EXPECT_EQ(captions.back(), "Brackwyn 1.3.1 - Creating objects - 310/309 - 100% Complete");
  // Every sub-cell of the 20 x 10 pixel box drew once per kind, plus once
  // for every sub-cell that had a candidate.
  EXPECT_GE(state.random.position(), 2u * 64 * 200);
}

INSTANTIATE_TEST_SUITE_P(CreateObjects, CreateObjectsChecked, ::testing::Values(1, 2));

TEST(CreateObjects, SeedSelectsTheLayout) {
  ObjectRun a(11), b(11), c(12);
  for (ObjectRun* o : {&a, &b, &c})
    CreateObjects(o->run.context);
  EXPECT_EQ(a.objectsInBox(), b.objectsInBox());
  EXPECT_EQ(a.run.state.random.position(), b.run.state.random.position());
  EXPECT_NE(a.objectsInBox(), c.objectsInBox());
}

TEST(CreateObjects, MissingIndexStopsTheRunNamingIt) {
  ObjectRun o;
  o.run.state.parameters.objectIndexName = "elsewhere.csv";
  try {
    CreateObjects(o.run.context);
    FAIL();
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find("elsewhere.csv"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(o.run.folder / "Base.dat"));
}

}  // namespace
}  // namespace brackwyn
